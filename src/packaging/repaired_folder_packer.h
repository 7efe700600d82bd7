#pragma once

#include "packaging/folder_packer.h"

// Packs a repaired working folder together with the stand-ins for its lost
// pictures, which the completion step keeps beside the folder; they follow
// the folder's own members in the package.
class RepairedFolderPacker : public FolderPacker {
public:
    bool PackRepairedFolder(const QString& folder, const QString& packagePath);

protected:
    void AddExtraMembers(PackageWriter* writer) override;

private:
    QString m_folder;
};
