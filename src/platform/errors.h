#pragma once

#include <QString>

namespace platform {

// The system's own words for an error number (errno), as the user should read them.
QString ErrorText(int error);

}  // namespace platform
