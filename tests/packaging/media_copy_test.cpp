#include "packaging/media_copy.h"

#include <gtest/gtest.h>

#include <QFile>

#include "packaging/private_temp_test.h"

namespace {

class MediaCopyTest : public PrivateTempTest {};

TEST_F(MediaCopyTest, CopiesPicturesFlatByExtensionIgnoringCase) {
    const QString w = Path("work");
    WriteBytes(w + "/Pictures/a.PNG", "a");
    WriteBytes(w + "/Pictures/photo.jpeg", "photo");
    WriteBytes(w + "/Pictures/deep/er/diagram.emf", "emf");
    WriteBytes(w + "/logo.gif", "gif");
    WriteBytes(w + "/Pictures/x.Bmp", "bmp");
    WriteBytes(w + "/Pictures/y.JPG", "jpg");
    WriteBytes(w + "/Thumbnails/thumbnail.png", "thumb");
    // Not pictures by their extension.
    WriteBytes(w + "/Pictures/clip.wmf", "wmf");
    WriteBytes(w + "/Pictures/image.svg", "svg");
    WriteBytes(w + "/Pictures/png", "no dot");
    WriteBytes(w + "/Pictures/a.png.txt", "text");
    WriteBytes(w + "/Pictures/pngs.png~", "backup");
    WriteBytes(w + "/content.xml", "xml");
    MakeFolder(Path("media"));

    EXPECT_EQ(CopyMediaFiles(w, Path("media")), 1);
    EXPECT_EQ(NamesIn(Path("media")), (QStringList{"a.PNG", "diagram.emf", "logo.gif", "photo.jpeg",
                                                   "thumbnail.png", "x.Bmp", "y.JPG"}));
    EXPECT_EQ(ReadBytes(Path("media/diagram.emf")), QByteArray("emf"));
    EXPECT_EQ(ReadBytes(Path("media/thumbnail.png")), QByteArray("thumb"));
}

// Same names from different folders: the one the walk meets last wins.
// The walk goes depth-first in case-insensitive name order: A/ before b/.
TEST_F(MediaCopyTest, LaterPictureOfTheSameNameReplacesTheEarlier) {
    WriteBytes(Path("work/A/p.png"), "first");
    WriteBytes(Path("work/b/p.png"), "second");
    MakeFolder(Path("media"));
    CopyMediaFiles(Path("work"), Path("media"));
    EXPECT_EQ(NamesIn(Path("media")), QStringList{"p.png"});
    EXPECT_EQ(ReadBytes(Path("media/p.png")), QByteArray("second"));
}

TEST_F(MediaCopyTest, EarlierMediaFolderKeepsItsOtherFiles) {
    WriteBytes(Path("media/kept.png"), "kept");
    WriteBytes(Path("media/p.png"), "old");
    WriteBytes(Path("work/Pictures/p.png"), "new");
    CopyMediaFiles(Path("work"), Path("media"));
    EXPECT_EQ(NamesIn(Path("media")), (QStringList{"kept.png", "p.png"}));
    EXPECT_EQ(ReadBytes(Path("media/p.png")), QByteArray("new"));
}

// A link planted in the destination (a shared folder, say) must not carry the
// pictures to wherever it points.
TEST_F(MediaCopyTest, LinksInTheMediaFolderAreNotWrittenThrough) {
    WriteBytes(Path("work/Pictures/p.png"), "picture");
    WriteBytes(Path("work/Pictures/q.png"), "other");
    WriteBytes(Path("elsewhere/target.png"), "precious");
    MakeFolder(Path("elsewhere/folder"));

    ASSERT_TRUE(QFile::link(Path("elsewhere/folder"), Path("linked")));
    CopyMediaFiles(Path("work"), Path("linked"));
    EXPECT_TRUE(NamesIn(Path("elsewhere/folder")).isEmpty());

    MakeFolder(Path("media"));
    ASSERT_TRUE(QFile::link(Path("elsewhere/target.png"), Path("media/p.png")));
    CopyMediaFiles(Path("work"), Path("media"));
    EXPECT_EQ(ReadBytes(Path("elsewhere/target.png")), QByteArray("precious"));
    EXPECT_EQ(ReadBytes(Path("media/q.png")), QByteArray("other"));
}

TEST_F(MediaCopyTest, MissingFolderCopiesNothing) {
    MakeFolder(Path("media"));
    EXPECT_EQ(CopyMediaFiles(Path("missing"), Path("media")), 1);
    EXPECT_TRUE(NamesIn(Path("media")).isEmpty());
}

}  // namespace
