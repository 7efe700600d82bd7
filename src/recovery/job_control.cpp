#include "recovery/job_control.h"

#include <thread>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/tree_removal.h"
#include "recovery/message_markup.h"

const QString kFileSeparator = QString(85, '*') + "\r\n";
const QString kJobEndSeparator = QString(64, '_') + "\r\n\r\n";
const QString kSupportMail = "support@pelmark.example";

namespace {
QString& WorkingRootOverride() {
    static QString root;
    return root;
}
}  // namespace

bool StartJobThread(JobProc proc, JobParams* params) {
    try {
        std::thread([proc, params] { proc(params); }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

QString GetWorkingRoot() {
    const QString& override = WorkingRootOverride();
    if (!override.isEmpty()) return override;
    // The user's own temporary folder, and the user's id in the name: on a
    // machine shared by several users (or with a shared /tmp) each has a root
    // of their own, created for the owner only.
    return platform::TempPath() + "ImpTmp-" + QString::number(platform::CurrentUserId());
}

void SetWorkingRootOverride(const QString& root) {
    QString cleaned = root;
    while (cleaned.size() > 1 && cleaned.endsWith('/')) cleaned.chop(1);
    WorkingRootOverride() = cleaned;
}

QString FileNameOf(const QString& packagePath) {
    const int cut = std::max(packagePath.lastIndexOf('/'), packagePath.lastIndexOf('\\'));
    return packagePath.mid(cut + 1);
}

QString WorkingFolderOf(const QString& packagePath, int row) {
    return GetWorkingRoot() + '/' + FileNameOf(packagePath) + QString::number(row);
}

std::optional<QString> CheckWorkingRoot(const QString& path) {
    if (!platform::PathExists(path)) return std::nullopt;
    // The refusal is shown in the message box: the path shows as written.
    const QString root = EscapeMessageMarkup(path);
    if (platform::IsSymLink(path))
        return root +
               " is a symbolic link. Pelmark will not use it as its working folder; "
               "please remove it and try again.";
    if (!platform::OwnedByCurrentUser(path))
        return root +
               " belongs to another user. Pelmark will not use it as its working "
               "folder; please remove it or set TMPDIR to a folder of your own.";
    if (!platform::FolderExists(path))
        return root +
               " is not a folder. Pelmark needs that name for its working folder; "
               "please remove the file and try again.";
    return std::nullopt;
}

void DeleteFolderContents(const QString& folder) {
    platform::EmptyFolderTree(folder);
}

void RemoveFolderTree(const QString& folder) {
    if (platform::IsSymLink(folder)) return;
    DeleteFolderContents(folder);
    platform::RemoveFolder(folder);
}
