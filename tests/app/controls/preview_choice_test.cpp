#include "app/controls/preview_choice.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

namespace {

void Touch(const QString& root, const QString& relative) {
    const QString path = root + "/" + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
    f.write("x");
}

struct ChoiceCase {
    const char* name;
    QStringList files;  // relative to the working folder
    QString expected;   // relative; empty: nothing to show
};

class PreviewChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(PreviewChoiceTest, PicksThumbnailThenFirstPictureDepthFirst) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + "/deck.odp0";
    QDir().mkpath(folder);
    for (const QString& f : GetParam().files) Touch(folder, f);
    const QString expected =
        GetParam().expected.isEmpty() ? QString() : folder + "/" + GetParam().expected;
    EXPECT_EQ(FindPreviewPicture(folder), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, PreviewChoiceTest,
    ::testing::Values(
        ChoiceCase{"ThumbnailFirst",
                   {"Pictures/a.png", "Thumbnails/thumbnail.png", "a.jpg"},
                   "Thumbnails/thumbnail.png"},
        ChoiceCase{"UpperCaseExtensionInSubFolder",
                   {"content.xml", "styles.xml", "Pictures/a.PNG"},
                   "Pictures/a.PNG"},
        ChoiceCase{"OnlyDocuments", {"content.xml", "styles.xml"}, ""},
        ChoiceCase{"NoExtensionAndTiffNever", {"picture", "x.tiff", "Pictures/b.png.txt"}, ""},
        // Names compare without regard to case, folders are entered where they come.
        ChoiceCase{"FolderBeforeLaterFile", {"b.gif", "A/z.emf"}, "A/z.emf"},
        ChoiceCase{"FileBeforeLaterFolder", {"a.JPEG", "B/c.bmp"}, "a.JPEG"},
        ChoiceCase{
            "DeepFirstOfFirstFolder", {"m/n/o/deep.jpg", "m/z.png", "n.png"}, "m/n/o/deep.jpg"},
        ChoiceCase{
            "ThumbnailFolderWithoutThumbnail", {"Thumbnails/other.png"}, "Thumbnails/other.png"}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST(PreviewChoice, MissingFolderGivesNothing) {
    QTemporaryDir dir;
    EXPECT_EQ(FindPreviewPicture(dir.path() + "/never.odp3"), "");
}

TEST(PreviewChoice, LinksAreNeverShown) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/deck.odp0";
    Touch(dir.path(), "elsewhere.png");
    QDir().mkpath(folder);
    ASSERT_TRUE(QFile::link(dir.path() + "/elsewhere.png", folder + "/a.png"));
    Touch(folder, "b.png");
    EXPECT_EQ(FindPreviewPicture(folder), folder + "/b.png");
}

}  // namespace
