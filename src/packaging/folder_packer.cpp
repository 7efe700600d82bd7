#include "packaging/folder_packer.h"

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

    int error = 0;
    const std::optional<QString> part = platform::CreatePartFileBeside(packagePath, &error);
    if (!part) {
        NoteFailure("cannot create " + packagePath + ": " + platform::ErrorText(error));
        return false;
    }
    QString reason;
    PackageWriter* writer = CreatePackage(*part, &reason);
    if (!writer) {
        platform::DeleteFile(*part);
        NoteFailure(reason);
        return false;
    }

    QString root = folder;
    while (root.size() > 1 && root.endsWith('/')) root.chop(1);
    m_rootLength = static_cast<int>(root.size());
    // With helpers, members are compressed ahead on other threads while this
    // one writes them; each member's result comes back in order.
    std::unique_ptr<MemberPipeline> pipeline;
    if (m_helperThreads > 0)
        pipeline = std::make_unique<MemberPipeline>(
            writer, m_helperThreads,
            [this](const QString& memberName, ZipResult result, const QString& why) {
                if (result != kZipOk) NoteFailure("cannot add " + memberName + ": " + why);
            });
    m_pipeline = pipeline.get();
    AddFolderTree(root, writer);
    if (!m_failed) AddExtraMembers(writer);
    if (m_pipeline) m_pipeline->Finish();
    m_pipeline = nullptr;
    pipeline.reset();

    if (ClosePackage(writer, &reason) != kZipOk) NoteFailure(reason);
    if (m_failed) {
        platform::DeleteFile(*part);
        return false;
    }
    if (const int moved = platform::ReplaceFile(*part, packagePath)) {
        platform::DeleteFile(*part);
        NoteFailure("cannot replace " + packagePath + ": " + platform::ErrorText(moved));
        return false;
    }
    return true;
}

void FolderPacker::AddFolderTree(const QString& folder, PackageWriter* writer) {
    const QString base = folder.endsWith('/') ? folder : folder + '/';
    for (const platform::FolderEntry& entry : platform::ListFolder(base)) {
        if (m_failed) return;
        const QString path = base + entry.name;
        if (entry.isFolder)
            AddFolderTree(path, writer);  // its files come before the entries after it
        else
            AddMember(writer, path.mid(m_rootLength + 1), path);
    }
}

void FolderPacker::AddExtraMembers(PackageWriter*) {}

void FolderPacker::AddMember(PackageWriter* writer, const QString& memberName,
                             const QString& sourcePath) {
    if (m_failed) return;
    if (m_pipeline) {
        m_pipeline->Add(memberName, sourcePath);
        return;
    }
    QString reason;
    if (AddPackageFile(writer, memberName, sourcePath, &reason) != kZipOk)
        NoteFailure("cannot add " + memberName + ": " + reason);
}

void FolderPacker::NoteFailure(const QString& reason) {
    if (m_failed) return;
    m_failed = true;
    m_lastError = reason;
    // The walk stops at the first failure; nothing after it is written.
    if (m_pipeline) m_pipeline->Cancel();
}
