#include "app/app_settings.h"

#include <QDir>

#include "platform/folders.h"

namespace {
const QString kSettingsKey = QStringLiteral("Pelmarkv1.0");
const QString kAppLookValue = QStringLiteral("ApplicationLook");
const QString kCompleteValue = QStringLiteral("CompleteRepairedPackages");
const QString kSelectFolderValue = QStringLiteral("LastSelectFolder");
}  // namespace

std::unique_ptr<QSettings> OpenAppSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kSettingsKey,
                                       kSettingsKey);
}

int ReadApplicationLook() {
    bool ok = false;
    const int look = OpenAppSettings()->value(kAppLookValue, kDefaultAppLook).toInt(&ok);
    return ok ? look : kDefaultAppLook;
}

void WriteApplicationLook(int look) {
    OpenAppSettings()->setValue(kAppLookValue, look);
}

bool ReadCompletePackages() {
    return OpenAppSettings()->value(kCompleteValue, true).toBool();
}

void WriteCompletePackages(bool complete) {
    OpenAppSettings()->setValue(kCompleteValue, complete);
}

QString ReadSelectFilesFolder() {
    const QString last = OpenAppSettings()->value(kSelectFolderValue).toString();
    if (!last.isEmpty() && platform::FolderExists(last)) return last;
    return QDir::homePath();
}

void WriteSelectFilesFolder(const QString& folder) {
    if (!folder.isEmpty()) OpenAppSettings()->setValue(kSelectFolderValue, folder);
}
