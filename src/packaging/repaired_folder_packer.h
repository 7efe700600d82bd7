#pragma once

#include "packaging/folder_packer.h"

// Packs a repaired working folder together with the stand-ins for its lost
// pictures, which the completion step keeps beside the folder; they follow
// the folder's own members in the package.
class RepairedFolderPacker : public FolderPacker {
public:
    // With `mimetypeFirst`, a recovered `mimetype` leads the package, stored
    // and without an extra field, as package readers (and `file`) look for it;
    // otherwise it goes where the folder listing puts it, like any member.
    bool PackRepairedFolder(const QString& folder, const QString& packagePath,
                            bool mimetypeFirst = false);

protected:
    void AddLeadingMembers(PackageWriter* writer) override;
    void AddExtraMembers(PackageWriter* writer) override;

private:
    QString m_folder;
    bool m_mimetypeFirst = false;
};
