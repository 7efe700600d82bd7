#include "recovery/job_control.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <condition_variable>
#include <mutex>

#include "platform/folders.h"
#include "recovery/message_markup.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/test_files.h"
#include "support/unprivileged.h"

namespace {

TEST(JobControl, TheFlagIsWhatWasLastSet) {
    JobControl control;
    EXPECT_EQ(control.IsProcessRunning(), 0);
    control.SetProcessRunning(1);
    EXPECT_EQ(control.IsProcessRunning(), 1);
    EXPECT_EQ(control.RunningFlag().load(), 1);
    control.SetProcessRunning(0);
    EXPECT_EQ(control.IsProcessRunning(), 0);
}

TEST(LogTexts, SeparatorsAreExact) {
    EXPECT_EQ(kFileSeparator, QString(85, '*') + "\r\n");
    EXPECT_EQ(kJobEndSeparator, QString(64, '_') + "\r\n\r\n");
    EXPECT_TRUE(kSupportMail.contains('@'));
}

TEST(WorkingRoot, IsImpTmpAndTheUserIdInTheUsersTemporaryFolder) {
    PrivateTempDir tmp;
    const QString own = tmp.Path("ImpTmp-" + QString::number(::geteuid()));
    EXPECT_EQ(GetWorkingRoot(), own);
    SetWorkingRootOverride(tmp.Path("private/ImpTmp/"));
    EXPECT_EQ(GetWorkingRoot(), tmp.Path("private/ImpTmp"));
    SetWorkingRootOverride(QString());
    EXPECT_EQ(GetWorkingRoot(), own);
    {
        // Without TMPDIR the root is in /tmp.
        const QByteArray saved = qgetenv("TMPDIR");
        qunsetenv("TMPDIR");
        EXPECT_EQ(GetWorkingRoot(), "/tmp/ImpTmp-" + QString::number(::geteuid()));
        qputenv("TMPDIR", saved);
    }
}

TEST(WorkingRoot, WorkingFoldersCarryTheFileNameAndTheRow) {
    PrivateTempDir tmp;
    const QString root = tmp.WorkingRoot();
    EXPECT_EQ(WorkingFolderOf("/home/ann/talks/plan.odp", 0), root + "/plan.odp0");
    EXPECT_EQ(WorkingFolderOf("/srv/old/plan.odp", 1), root + "/plan.odp1");
    EXPECT_EQ(WorkingFolderOf("C:\\talks\\plan.odp", 2), root + "/plan.odp2");
    EXPECT_EQ(WorkingFolderOf("plan.odp", 12), root + "/plan.odp12");
    EXPECT_EQ(FileNameOf("/a/b\\c.odp"), "c.odp");
    EXPECT_EQ(FileNameOf("bare"), "bare");
}

struct DeleteCase {
    const char* label;
    bool trailingSlash;
};

class DeleteFolderContentsTest : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteFolderContentsTest, EmptiesTheFolderButKeepsIt) {
    PrivateTempDir tmp;
    const QString root = tmp.Path("root");
    ASSERT_EQ(platform::CreateFolder(root), 0);
    ASSERT_EQ(platform::CreateFolder(root + "/a"), 0);
    ASSERT_EQ(platform::CreateFolder(root + "/a/b"), 0);
    WriteBytes(root + "/top.xml");
    WriteBytes(root + "/.hidden");
    WriteBytes(root + "/a/b/deep.png");
    DeleteFolderContents(GetParam().trailingSlash ? root + '/' : root);
    EXPECT_TRUE(platform::FolderExists(root));
    EXPECT_TRUE(Tree(root).isEmpty()) << Tree(root).join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(JobControl, DeleteFolderContentsTest,
                         ::testing::Values(DeleteCase{"PlainPath", false},
                                           DeleteCase{"TrailingSlash", true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(DeleteFolderContents, NeverFollowsALink) {
    PrivateTempDir tmp;
    const QString root = tmp.Path("root");
    const QString outside = tmp.Path("outside");
    ASSERT_EQ(platform::CreateFolder(root), 0);
    ASSERT_EQ(platform::CreateFolder(outside), 0);
    WriteBytes(outside + "/precious.txt");
    ASSERT_TRUE(QFile::link(outside, root + "/to-folder"));
    ASSERT_TRUE(QFile::link(outside + "/precious.txt", root + "/to-file"));

    DeleteFolderContents(root);
    EXPECT_TRUE(Tree(root).isEmpty()) << Tree(root).join(' ').toStdString();  // the links went
    EXPECT_EQ(Tree(outside), QStringList{"precious.txt"});  // their targets stayed
}

TEST(DeleteFolderContents, LeavesTheTargetOfALinkedFolderAlone) {
    PrivateTempDir tmp;
    ASSERT_EQ(platform::CreateFolder(tmp.Path("target")), 0);
    WriteBytes(tmp.Path("target/precious.txt"));
    ASSERT_TRUE(QFile::link(tmp.Path("target"), tmp.Path("link")));
    DeleteFolderContents(tmp.Path("link"));
    DeleteFolderContents(tmp.Path("link/"));
    EXPECT_EQ(Tree(tmp.Path("target")), QStringList{"precious.txt"});
}

TEST(DeleteFolderContents, AMissingFolderIsNothingToDo) {
    PrivateTempDir tmp;
    DeleteFolderContents(tmp.Path("missing"));
    DeleteFolderContents(tmp.Path("missing/"));
    EXPECT_FALSE(platform::PathExists(tmp.Path("missing")));
}

TEST(DeleteFolderContents, WhatCannotBeDeletedStaysAndTheRestGoes) {
    PrivateTempDir tmp;
    RunWherePermissionsBind(tmp.Path(), [&] {
        const QString root = tmp.Path("root");
        ASSERT_EQ(platform::CreateFolder(root), 0);
        ASSERT_EQ(platform::CreateFolder(root + "/locked"), 0);
        WriteBytes(root + "/locked/kept");
        WriteBytes(root + "/z-gone");
        QFile::setPermissions(root + "/locked", QFile::ReadOwner | QFile::ExeOwner);
        DeleteFolderContents(root);
        EXPECT_EQ(Tree(root), QStringList({"locked/", "locked/kept"}));
    });
}

TEST(RemoveFolderTree, RemovesTheFolderButNeverALinkedOne) {
    PrivateTempDir tmp;
    ASSERT_EQ(platform::CreateFolder(tmp.Path("w")), 0);
    WriteBytes(tmp.Path("w/f"));
    RemoveFolderTree(tmp.Path("w"));
    EXPECT_FALSE(platform::PathExists(tmp.Path("w")));

    ASSERT_EQ(platform::CreateFolder(tmp.Path("target")), 0);
    WriteBytes(tmp.Path("target/f"));
    ASSERT_TRUE(QFile::link(tmp.Path("target"), tmp.Path("link")));
    RemoveFolderTree(tmp.Path("link"));
    EXPECT_EQ(Tree(tmp.Path("target")), QStringList{"f"});
}

TEST(CheckWorkingRoot, AcceptsAMissingOrOwnFolder) {
    PrivateTempDir tmp;
    EXPECT_FALSE(CheckWorkingRoot(tmp.Path("ImpTmp")));
    ASSERT_EQ(platform::CreateFolder(tmp.Path("ImpTmp")), 0);
    EXPECT_FALSE(CheckWorkingRoot(tmp.Path("ImpTmp")));
}

TEST(CheckWorkingRoot, RefusesALinkAndAFile) {
    PrivateTempDir tmp;
    ASSERT_EQ(platform::CreateFolder(tmp.Path("elsewhere")), 0);
    ASSERT_TRUE(QFile::link(tmp.Path("elsewhere"), tmp.Path("ImpTmp")));
    const std::optional<QString> link = CheckWorkingRoot(tmp.Path("ImpTmp"));
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->contains("symbolic link"));
    EXPECT_TRUE(link->contains(tmp.Path("ImpTmp")));

    WriteBytes(tmp.Path("file"));
    const std::optional<QString> file = CheckWorkingRoot(tmp.Path("file"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->contains("not a folder"));
}

TEST(CheckWorkingRoot, RefusesAnotherUsersFolder) {
    PrivateTempDir tmp;
    QString foreign = "/usr";  // the superuser's, when the tests run as anybody else
    if (::geteuid() == 0) {
        foreign = tmp.Path("ImpTmp");
        ASSERT_EQ(platform::CreateFolder(foreign), 0);
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
    }
    const std::optional<QString> refusal = CheckWorkingRoot(foreign);
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(refusal->contains("another user"));
}

int g_ranWith = 0;
std::mutex g_mutex;
std::condition_variable g_done;

int RecordingProc(JobParams* params) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_ranWith = params->mainWnd->IsProcessRunning() + 10;
    g_done.notify_all();
    return 1;
}

TEST(StartJobThread, RunsTheWorkerWithTheRecord) {
    JobControl control;
    control.SetProcessRunning(1);
    JobParams params{&control, nullptr};
    std::unique_lock<std::mutex> lock(g_mutex);
    g_ranWith = 0;
    ASSERT_TRUE(StartJobThread(&RecordingProc, &params));
    ASSERT_TRUE(g_done.wait_for(lock, std::chrono::seconds(30), [] { return g_ranWith != 0; }));
    EXPECT_EQ(g_ranWith, 11);
}

}  // namespace

TEST(MessageMarkup, PathsShowAsWritten) {
    EXPECT_EQ(EscapeMessageMarkup("/home/ann/R&D <old> 'a' \"b\""),
              "/home/ann/R&amp;D &lt;old&gt; &#39;a&#39; &quot;b&quot;");
    EXPECT_EQ(EscapeMessageMarkup("/plain/path.odp"), "/plain/path.odp");
}
