#include "platform/tree_removal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "platform/folders.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/test_files.h"

namespace {

// Enough files that the handles of removed files queue up beyond what one
// helper closes, so several helpers and the bound on waiting handles are used.
constexpr int kFolders = 40;
constexpr int kFilesPerFolder = 25;

TEST(EmptyFolderTree, RemovesAManyFileTreeAndNothingALinkLeadsTo) {
    PrivateTempDir tmp;
    const QString root = tmp.Path("root");
    const QString outside = tmp.Path("outside");
    ASSERT_EQ(platform::CreateFolder(root), 0);
    ASSERT_EQ(platform::CreateFolder(outside), 0);
    WriteBytes(outside + "/precious.txt", "keep me");
    for (int f = 0; f < kFolders; ++f) {
        const QString folder = root + "/Object " + QString::number(f);
        ASSERT_EQ(platform::CreateFolder(folder), 0);
        ASSERT_EQ(platform::CreateFolder(folder + "/deeper"), 0);
        for (int i = 0; i < kFilesPerFolder; ++i)
            WriteBytes(folder + "/m" + QString::number(i), QByteArray(3000, 'a' + i % 26));
        // Links to the outside, deep inside the tree: removed, never followed.
        ASSERT_TRUE(QFile::link(outside, folder + "/deeper/to-folder"));
        ASSERT_TRUE(QFile::link(outside + "/precious.txt", folder + "/deeper/to-file"));
    }
    // A second name of an outside file: only this name goes.
    ASSERT_EQ(::link(QFile::encodeName(outside + "/precious.txt").constData(),
                     QFile::encodeName(root + "/hard").constData()),
              0);
    // A named pipe is removed without being opened (opening it would hang).
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/pipe").constData(), 0600), 0);

    platform::EmptyFolderTree(root + "/");

    EXPECT_TRUE(platform::FolderExists(root));
    EXPECT_TRUE(Tree(root).isEmpty()) << Tree(root).mid(0, 10).join(' ').toStdString();
    EXPECT_EQ(Tree(outside), QStringList{"precious.txt"});
    EXPECT_EQ(ReadAll(outside + "/precious.txt"), QByteArray("keep me"));
}

TEST(EmptyFolderTree, AFolderGivenAsALinkIsLeftAlone) {
    PrivateTempDir tmp;
    ASSERT_EQ(platform::CreateFolder(tmp.Path("target")), 0);
    WriteBytes(tmp.Path("target/precious.txt"));
    ASSERT_TRUE(QFile::link(tmp.Path("target"), tmp.Path("link")));
    for (const char* spelling : {"link", "link/", "link//"})
        platform::EmptyFolderTree(tmp.Path(spelling));
    EXPECT_EQ(Tree(tmp.Path("target")), QStringList{"precious.txt"});
    EXPECT_TRUE(platform::IsSymLink(tmp.Path("link")));
}

}  // namespace
