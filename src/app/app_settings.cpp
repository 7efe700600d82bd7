#include "app/app_settings.h"

namespace {
const QString kSettingsKey = QStringLiteral("Pelmarkv1.0");
const QString kAppLookValue = QStringLiteral("ApplicationLook");
const QString kCompleteValue = QStringLiteral("CompleteRepairedPackages");
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
