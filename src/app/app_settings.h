#pragma once

#include <QSettings>
#include <memory>

// The program's settings: an INI file under the user's configuration folder,
// organisation and application both "Pelmarkv1.0".
std::unique_ptr<QSettings> OpenAppSettings();

constexpr int kDefaultAppLook = 215;

// "ApplicationLook": the look the window starts in.
int ReadApplicationLook();
void WriteApplicationLook(int look);

// "CompleteRepairedPackages": whether a repair also rebuilds a lost manifest
// and stands in for lost pictures.
bool ReadCompletePackages();
void WriteCompletePackages(bool complete);
