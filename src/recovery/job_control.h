#pragma once

#include <QString>
#include <atomic>
#include <optional>

#include "recovery/write_guard.h"

class JobView;
struct MemberRecords;

// The process-running flag: 1 while a Repair or Save job runs. A stop request
// is only ever expressed by setting it back to 0.
class JobControl {
public:
    int IsProcessRunning() const { return m_bProcessRunning.load(std::memory_order_relaxed); }
    void SetProcessRunning(int running) {
        m_bProcessRunning.store(running, std::memory_order_relaxed);
    }
    // Where the scanner looks at every position.
    const std::atomic<int>& RunningFlag() const { return m_bProcessRunning; }
    std::atomic<int>& RunningFlag() { return m_bProcessRunning; }

private:
    std::atomic<int> m_bProcessRunning{0};
};

// Handed to a worker thread: the flag's owner and the view it drives.
struct JobParams {
    JobControl* mainWnd = nullptr;
    JobView* view = nullptr;
    // Rebuild a lost manifest and stand in for lost pictures after each repair.
    // The window keeps it in the settings value "CompleteRepairedPackages".
    bool completePackages = true;
    // When set (the Repair job sets it while the completion switch is on),
    // the scan and the extraction of a package record its members here for
    // the completion step.
    MemberRecords* memberRecords = nullptr;
    // Set by the extraction: a stop ended the last package's extraction early.
    bool extractionCutShort = false;
    // How the extraction asks for the room left on the working folder's
    // disk; empty asks the file system itself (tests set their own).
    DiskSpaceQuery diskSpace = {};
    // Set by the scanner: the last package's walk was ended by a stop.
    bool scanCutShort = false;
    // The row of the Repair run whose scan or extraction a stop cut short, or -1. The window
    // still offers what was found; the terminal program does not save it.
    int scanCutShortRow = -1;
};

using JobProc = int (*)(JobParams*);

// Starts `proc` on a detached worker thread of its own; nobody waits for it.
// False when the thread could not be started.
bool StartJobThread(JobProc proc, JobParams* params);

// Log texts shared by both jobs.
extern const QString kFileSeparator;    // 85 asterisks and a line break
extern const QString kJobEndSeparator;  // 64 underscores and two line breaks
extern const QString kSupportMail;

// The user's temporary folder ($TMPDIR, else /tmp) followed by "ImpTmp-" and
// the user id, without a trailing "/". The terminal program points it at a
// private folder of its own.
QString GetWorkingRoot();
void SetWorkingRootOverride(const QString& root);  // empty: back to the default

// The working folder of file-list row `row` holding `packagePath`:
// the working root, "/", the part after the last "/" or "\" and the row index.
QString WorkingFolderOf(const QString& packagePath, int row);

// The file name of a package path: the text after its last "/" or "\".
QString FileNameOf(const QString& packagePath);

// Empty when the working root may be used; otherwise why not, for the user.
// A root that is a symbolic link or belongs to another user is refused, since
// everything in it is deleted at the next run.
std::optional<QString> CheckWorkingRoot(const QString& root);

// Deletes every file and sub-folder below `folder`, never following a link,
// and leaves the folder itself. Failures are ignored.
void DeleteFolderContents(const QString& folder);

// DeleteFolderContents and then the folder itself, for a working root or folder.
void RemoveFolderTree(const QString& folder);
