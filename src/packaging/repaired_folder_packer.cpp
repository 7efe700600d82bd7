#include "packaging/repaired_folder_packer.h"

#include "platform/folders.h"
#include "recovery/package_completion.h"

bool RepairedFolderPacker::PackRepairedFolder(const QString& folder, const QString& packagePath) {
    m_folder = folder;
    return PackFolder(folder, packagePath);
}

void RepairedFolderPacker::AddExtraMembers(PackageWriter* writer) {
    const QString placeholders = PlaceholderFolderOf(m_folder);
    if (!platform::FolderExists(placeholders) || platform::IsSymLink(placeholders)) return;
    m_rootLength = static_cast<int>(placeholders.size());
    AddFolderTree(placeholders, writer);
}
