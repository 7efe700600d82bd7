#pragma once

#include <QString>

// Where the window's links lead. The support mail address is the engine's own
// (kSupportMail in recovery/job_control.h), so the log and the About box agree.
inline const QString kProductWebPage = QStringLiteral("https://pelmark.example.com/");
inline const QString kMakerWebSite = QStringLiteral("https://www.example.org/");
inline const QString kSalesMail = QStringLiteral("sales@pelmark.example");
