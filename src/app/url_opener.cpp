#include "app/url_opener.h"

#include <QDesktopServices>

namespace {
std::function<bool(const QUrl&)>& Opener() {
    static std::function<bool(const QUrl&)> opener;
    return opener;
}
}  // namespace

bool OpenUrl(const QUrl& url) {
    if (Opener()) return Opener()(url);
    return QDesktopServices::openUrl(url);
}

void SetUrlOpenerForTests(std::function<bool(const QUrl&)> opener) {
    Opener() = std::move(opener);
}
