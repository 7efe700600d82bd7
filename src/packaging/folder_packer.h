#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class MemberPipeline;
class PackageWriter;
using ZipResultCode = uint32_t;

// Turns one working folder into one package: every file below the folder
// becomes a member named by its path relative to the folder, depth-first in
// the order the folder listing gives (names sorted without regard to case).
// Folders never become members of their own.
class FolderPacker {
public:
    FolderPacker();
    virtual ~FolderPacker() = default;

    // Writes the package under a short temporary name in the folder of
    // `packagePath` and gives it the final name only when every member and the
    // directory were written, so a failed run never leaves a half-written
    // package there (a file of that name from before stays as it was). A
    // missing or empty folder gives a package of the 22-byte end record alone.
    // False on any failure, with LastError() saying why; the walk stops at the
    // first failure. A folder below `folder` that cannot be read is a failure.
    // A member whose name the package cannot hold (longer than 259 bytes, for
    // one) is left out and noted in LeftOut(); the rest is still written.
    bool PackFolder(const QString& folder, const QString& packagePath);

    // Adds every file below `folder`, naming each by its path without the
    // first m_rootLength + 1 characters.
    void AddFolderTree(const QString& folder, PackageWriter* writer);

    const QString& LastError() const { return m_lastError; }

    // How many helper threads compress members while the package is
    // written; 0 compresses on the calling thread. The package is the same
    // byte for byte whatever the number. One per core by default.
    void SetHelperThreads(int count) { m_helperThreads = count; }

    struct LeftOutMember {
        QString name;
        QString reason;
    };
    const std::vector<LeftOutMember>& LeftOut() const { return m_leftOut; }

    // Length of the folder path of the PackFolder call in progress.
    int m_rootLength = 0;

protected:
    // Called before the folder tree, for members that must come first. A
    // subclass adds them with AddMember and names the one it took from the
    // folder in m_leadingMember, so the walk does not add it again.
    virtual void AddLeadingMembers(PackageWriter* writer);
    QString m_leadingMember;

    // Called once the folder tree is in and before the package is closed, for
    // members that do not come from the working folder. A subclass adds them
    // with AddMember (or AddFolderTree after setting m_rootLength for another
    // folder). Nothing by default.
    virtual void AddExtraMembers(PackageWriter* writer);

    // Adds one member unless an earlier one failed; notes the first failure.
    void AddMember(PackageWriter* writer, const QString& memberName, const QString& sourcePath);
    // The same for a member stored as it is, with no extra field.
    void AddPlainStoredMember(PackageWriter* writer, const QString& memberName,
                              const QString& sourcePath);
    bool HasFailed() const { return m_failed; }

private:
    void NoteFailure(const QString& reason);
    void NoteResult(ZipResultCode result, const QString& memberName, const QString& reason);

    bool m_failed = false;
    std::vector<LeftOutMember> m_leftOut;
    QString m_lastError;
    int m_helperThreads;
    MemberPipeline* m_pipeline = nullptr;  // while PackFolder runs with helpers
};
