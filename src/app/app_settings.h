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

// "LastSelectFolder": where the Select files dialog opens, the folder of the
// last files chosen in it. The user's home folder when none is kept or the
// kept one is gone.
QString ReadSelectFilesFolder();
void WriteSelectFilesFolder(const QString& folder);
