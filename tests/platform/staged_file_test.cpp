#include "platform/staged_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>

#include "platform/folders.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/test_files.h"

namespace {

// Both ways a staged file can take: unnamed and linked in at the end (where
// the file system allows), or under a short hidden name and renamed.
struct Way {
    const char* label;
    bool unnamedAllowed;
};

class StagedFileWays : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override { platform::SetUnnamedFilesAllowed(GetParam().unnamedAllowed); }
    void TearDown() override { platform::SetUnnamedFilesAllowed(true); }

    // What the folder holds while a file is staged in it, before Commit.
    QStringList WhileStaged(const QString& folder) {
        const QStringList names = Tree(folder);
        // The named way shows a hidden name of its own, the unnamed way
        // nothing (when this file system refuses unnamed files, both show one).
        if (!GetParam().unnamedAllowed) {
            EXPECT_EQ(names.filter(QRegularExpression("^\\.pelmark-")).size(), 1)
                << names.join(' ').toStdString();
        }
        return names;
    }
};

TEST_P(StagedFileWays, IsSeenUnderItsNameOnlyOnceCommitted) {
    PrivateTempDir tmp;
    const QString folder = tmp.Path("w");
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    platform::StagedFile file;
    ASSERT_EQ(file.Create(folder + "/content.xml"), 0);
    ASSERT_EQ(file.Write("<slides/>", 9), 9);
    EXPECT_FALSE(WhileStaged(folder).contains("content.xml"));
    ASSERT_EQ(file.Commit(), 0);
    EXPECT_EQ(Tree(folder), QStringList{"content.xml"});
    EXPECT_EQ(ReadAll(folder + "/content.xml"), QByteArray("<slides/>"));
}

TEST_P(StagedFileWays, AFileGivenUpLeavesNothing) {
    PrivateTempDir tmp;
    const QString folder = tmp.Path("w");
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    {
        platform::StagedFile dropped;
        ASSERT_EQ(dropped.Create(folder + "/a.png"), 0);
        dropped.Write("half", 4);
        WhileStaged(folder);
        dropped.Discard();
        platform::StagedFile forgotten;  // never committed: goes with its owner
        ASSERT_EQ(forgotten.Create(folder + "/b.png"), 0);
        forgotten.Write("half", 4);
    }
    EXPECT_TRUE(Tree(folder).isEmpty()) << Tree(folder).join(' ').toStdString();
}

TEST_P(StagedFileWays, ReplacesAFileButNeverAFolder) {
    PrivateTempDir tmp;
    const QString folder = tmp.Path("w");
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    WriteBytes(folder + "/member", "an older and longer text");
    ASSERT_EQ(platform::CreateFolder(folder + "/taken"), 0);
    WriteBytes(folder + "/taken/inner", "kept");

    platform::StagedFile file;
    ASSERT_EQ(file.Create(folder + "/member"), 0);
    ASSERT_EQ(file.Write("fresh", 5), 5);
    ASSERT_EQ(file.Commit(), 0);
    EXPECT_EQ(ReadAll(folder + "/member"), QByteArray("fresh"));

    platform::StagedFile onFolder;
    ASSERT_EQ(onFolder.Create(folder + "/taken"), 0);
    onFolder.Write("x", 1);
    EXPECT_NE(onFolder.Commit(), 0);
    EXPECT_EQ(Tree(folder), QStringList({"member", "taken/", "taken/inner"}));
    EXPECT_EQ(ReadAll(folder + "/taken/inner"), QByteArray("kept"));
}

TEST_P(StagedFileWays, AFolderThatIsNotThereIsReported) {
    PrivateTempDir tmp;
    platform::StagedFile file;
    EXPECT_EQ(file.Create(tmp.Path("missing/member")), ENOENT);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(file.Commit(), 0);
    EXPECT_FALSE(platform::PathExists(tmp.Path("missing")));
}

INSTANTIATE_TEST_SUITE_P(Platform, StagedFileWays,
                         ::testing::Values(Way{"Unnamed", true}, Way{"Named", false}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
