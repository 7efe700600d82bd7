#include "errors.h"

#include <cstring>

namespace platform {

QString ErrorText(int error) {
    char buffer[256] = {};
    // The GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text ? text : buffer);
}

}  // namespace platform
