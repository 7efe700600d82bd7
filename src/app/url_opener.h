#pragma once

#include <QUrl>
#include <functional>

// Opens a web page, a mail address or a local document with the desktop's
// handler. Returns what the desktop answered; callers do not act on it.
bool OpenUrl(const QUrl& url);

// Tests see what would have been opened instead of starting a browser.
// An empty function goes back to the desktop.
void SetUrlOpenerForTests(std::function<bool(const QUrl&)> opener);
