#include "platform/folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cerrno>

#include "support/private_temp_dir.h"

namespace {

TEST(TempPath, FollowsTmpdirAndEndsWithASlash) {
    PrivateTempDir tmp;
    EXPECT_EQ(platform::TempPath(), tmp.Path() + '/');
}

TEST(CreateFolder, ReportsExistingAndMissingParents) {
    PrivateTempDir tmp;
    EXPECT_EQ(platform::CreateFolder(tmp.Path("a")), 0);
    EXPECT_TRUE(platform::FolderExists(tmp.Path("a")));
    EXPECT_EQ(platform::CreateFolder(tmp.Path("a")), EEXIST);
    EXPECT_EQ(platform::CreateFolder(tmp.Path("x/y")), ENOENT);
    EXPECT_TRUE(platform::RemoveFolder(tmp.Path("a")));
    EXPECT_FALSE(platform::PathExists(tmp.Path("a")));
    EXPECT_FALSE(platform::RemoveFolder(tmp.Path("a")));
}

TEST(RemoveFolder, LeavesAFolderThatIsNotEmpty) {
    PrivateTempDir tmp;
    ASSERT_EQ(platform::CreateFolder(tmp.Path("a")), 0);
    QFile(tmp.Path("a/f")).open(QIODevice::WriteOnly);
    EXPECT_FALSE(platform::RemoveFolder(tmp.Path("a")));
    EXPECT_TRUE(platform::FolderExists(tmp.Path("a")));
}

TEST(PathTests, TellLinksFoldersAndFilesApart) {
    PrivateTempDir tmp;
    ASSERT_EQ(platform::CreateFolder(tmp.Path("dir")), 0);
    ASSERT_TRUE(QFile::link(tmp.Path("dir"), tmp.Path("to-dir")));
    ASSERT_TRUE(QFile::link(tmp.Path("gone"), tmp.Path("dangling")));

    EXPECT_TRUE(platform::FolderExists(tmp.Path("to-dir")));  // followed
    EXPECT_TRUE(platform::IsSymLink(tmp.Path("to-dir")));
    EXPECT_FALSE(platform::IsSymLink(tmp.Path("dir")));
    EXPECT_TRUE(platform::PathExists(tmp.Path("dangling")));  // not followed
    EXPECT_FALSE(platform::FolderExists(tmp.Path("dangling")));
    EXPECT_FALSE(platform::PathExists(tmp.Path("nothing")));
    EXPECT_TRUE(platform::OwnedByCurrentUser(tmp.Path("dir")));
    EXPECT_FALSE(platform::OwnedByCurrentUser(tmp.Path("nothing")));
}

TEST(ListFolder, SortsWithoutRegardToCaseAndNeverCallsALinkAFolder) {
    PrivateTempDir tmp;
    for (const char* name : {"b.xml", "Pictures", "a.png", "C", ".hidden"}) {
        if (QString(name) == "Pictures")
            ASSERT_EQ(platform::CreateFolder(tmp.Path(name)), 0);
        else
            QFile(tmp.Path(name)).open(QIODevice::WriteOnly);
    }
    ASSERT_TRUE(QFile::link(tmp.Path("Pictures"), tmp.Path("link")));

    const std::vector<platform::FolderEntry> entries = platform::ListFolder(tmp.Path());
    QStringList names;
    for (const auto& e : entries) names << e.name + (e.isFolder ? "/" : "");
    EXPECT_EQ(names, QStringList({".hidden", "a.png", "b.xml", "C", "link", "Pictures/"}));
    EXPECT_TRUE(platform::ListFolder(tmp.Path("missing")).empty());
    // Callers that must not take an unreadable folder for an empty one are told.
    int error = 0;
    EXPECT_TRUE(platform::ListFolder(tmp.Path("missing"), &error).empty());
    EXPECT_EQ(error, ENOENT);
    platform::ListFolder(tmp.Path(), &error);
    EXPECT_EQ(error, 0);
}

}  // namespace
