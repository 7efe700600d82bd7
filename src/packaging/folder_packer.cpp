#include "packaging/folder_packer.h"

#include <cerrno>
#include <memory>

#include "packaging/member_pipeline.h"
#include "packaging/package_writer.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/output_files.h"

FolderPacker::FolderPacker() : m_helperThreads(MemberPipeline::DefaultHelperThreads()) {}

bool FolderPacker::PackFolder(const QString& folder, const QString& packagePath) {
    m_failed = false;
    m_lastError.clear();
    m_leftOut.clear();
    m_leadingMember.clear();

    // The temporary name is short whatever the final one is, so a final name
    // near the file system's limit still fits; a run abandoned half way
    // removes it.
    int error = 0;
    const int slash = packagePath.lastIndexOf('/');
    const std::optional<QString> part = platform::CreateTempFileIn(
        slash >= 0 ? packagePath.left(slash + 1) : "./", &error, platform::OnAbandon::Remove);
    if (!part) {
        NoteFailure("cannot create " + packagePath + ": " + platform::ErrorText(error));
        return false;
    }
    QString reason;
    PackageWriter* writer = CreatePackage(*part, &reason);
    if (!writer) {
        platform::DiscardTempFile(*part);
        NoteFailure(reason);
        return false;
    }

    QString root = folder;
    while (root.size() > 1 && root.endsWith('/')) root.chop(1);
    m_rootLength = static_cast<int>(root.size());
    AddLeadingMembers(writer);
    m_rootLength = static_cast<int>(root.size());
    // With helpers, members are compressed ahead on other threads while this
    // one writes them; each member's result comes back in order.
    std::unique_ptr<MemberPipeline> pipeline;
    if (m_helperThreads > 0 && !m_failed)
        pipeline = std::make_unique<MemberPipeline>(
            writer, m_helperThreads,
            [this](const QString& memberName, ZipResult result, const QString& why) {
                NoteResult(result, memberName, why);
            });
    m_pipeline = pipeline.get();
    if (!m_failed) AddFolderTree(root, writer);
    if (!m_failed) AddExtraMembers(writer);
    if (m_pipeline) m_pipeline->Finish();
    m_pipeline = nullptr;
    pipeline.reset();

    if (ClosePackage(writer, &reason) != kZipOk) NoteFailure(reason);
    if (m_failed) {
        platform::DiscardTempFile(*part);
        return false;
    }
    if (const int moved = platform::ReplaceFile(*part, packagePath)) {
        platform::DiscardTempFile(*part);
        NoteFailure("cannot replace " + packagePath + ": " + platform::ErrorText(moved));
        return false;
    }
    return true;
}

void FolderPacker::AddFolderTree(const QString& folder, PackageWriter* writer) {
    const QString base = folder.endsWith('/') ? folder : folder + '/';
    int error = 0;
    const std::vector<platform::FolderEntry> entries = platform::ListFolder(base, &error);
    // A folder that cannot be read would leave its members out unseen. Only
    // the working folder itself may be missing (it then packs as nothing).
    if (error != 0 && !(error == ENOENT && base.size() == m_rootLength + 1)) {
        NoteFailure("cannot read the folder " + base + ": " + platform::ErrorText(error));
        return;
    }
    for (const platform::FolderEntry& entry : entries) {
        if (m_failed) return;
        const QString path = base + entry.name;
        if (entry.isFolder) {
            AddFolderTree(path, writer);  // its files come before the entries after it
        } else {
            const QString name = path.mid(m_rootLength + 1);
            if (name != m_leadingMember) AddMember(writer, name, path);
        }
    }
}

void FolderPacker::AddLeadingMembers(PackageWriter*) {}

void FolderPacker::AddExtraMembers(PackageWriter*) {}

void FolderPacker::AddMember(PackageWriter* writer, const QString& memberName,
                             const QString& sourcePath) {
    if (m_failed) return;
    if (m_pipeline) {
        m_pipeline->Add(memberName, sourcePath);
        return;
    }
    QString reason;
    NoteResult(AddPackageFile(writer, memberName, sourcePath, &reason), memberName, reason);
}

void FolderPacker::AddPlainStoredMember(PackageWriter* writer, const QString& memberName,
                                        const QString& sourcePath) {
    if (m_failed) return;
    QString reason;
    NoteResult(AddPlainStoredPackageFile(writer, memberName, sourcePath, &reason), memberName,
               reason);
}

void FolderPacker::NoteResult(ZipResultCode result, const QString& memberName,
                              const QString& reason) {
    // A name or a size the package cannot hold is refused before anything is
    // written, so the package stays whole without that one member.
    if (result == kZipBadArguments)
        m_leftOut.push_back({memberName, reason});
    else if (result != kZipOk)
        NoteFailure("cannot add " + memberName + ": " + reason);
}

void FolderPacker::NoteFailure(const QString& reason) {
    if (m_failed) return;
    m_failed = true;
    m_lastError = reason;
    // The walk stops at the first failure; nothing after it is written.
    if (m_pipeline) m_pipeline->Cancel();
}
