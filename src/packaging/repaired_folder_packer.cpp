#include "packaging/repaired_folder_packer.h"

#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/package_completion.h"

namespace {
const QString kMimetype = "mimetype";
}

bool RepairedFolderPacker::PackRepairedFolder(const QString& folder, const QString& packagePath,
                                              bool mimetypeFirst) {
    m_folder = folder;
    while (m_folder.size() > 1 && m_folder.endsWith('/')) m_folder.chop(1);
    m_mimetypeFirst = mimetypeFirst;
    return PackFolder(folder, packagePath);
}

void RepairedFolderPacker::AddLeadingMembers(PackageWriter* writer) {
    const QString path = m_folder + '/' + kMimetype;
    if (!m_mimetypeFirst || platform::IsSymLink(path) || !platform::FileExists(path)) return;
    AddPlainStoredMember(writer, kMimetype, path);
    m_leadingMember = kMimetype;
}

void RepairedFolderPacker::AddExtraMembers(PackageWriter* writer) {
    const QString placeholders = PlaceholderFolderOf(m_folder);
    if (!platform::FolderExists(placeholders) || platform::IsSymLink(placeholders)) return;
    m_rootLength = static_cast<int>(placeholders.size());
    AddFolderTree(placeholders, writer);
}
