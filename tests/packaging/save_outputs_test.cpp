// What the Save job writes and where: never over a file given to repair, under
// a name of its own for same-named files, honest lines for the media copy,
// and a leading stored mimetype only with the completion step.
#include <gtest/gtest.h>

#include <QFile>

#include "packaging/folder_packer.h"
#include "packaging/private_temp_test.h"
#include "packaging/save_job.h"
#include "packaging/zip_layout_reader.h"
#include "recovery/basic_job_view.h"
#include "support/recording_job_view.h"

namespace {

class SaveOutputsTest : public PrivateTempTest {
protected:
    void SetUp() override {
        PrivateTempTest::SetUp();
        m_params.mainWnd = &m_control;
        m_params.view = &m_view;
        MakeFolder(Path("out"));
        m_view.destination = Path("out");
        m_view.extractMedia = true;
    }

    // A repaired row whose working folder holds a small presentation.
    void AddRow(const QString& path) {
        const int row = static_cast<int>(m_view.rows.size());
        m_view.rows.push_back({path, 1});
        const QString work = WorkingFolderOf(path, row);
        WriteBytes(work + "/mimetype", "application/vnd.oasis.opendocument.presentation");
        WriteBytes(work + "/content.xml", "row " + QByteArray::number(row));
        WriteBytes(work + "/Pictures/p.png", "picture of row " + QByteArray::number(row));
    }

    bool Logged(const QString& text, LogColor color) const {
        for (const RecordingJobView::LogLine& line : m_view.log)
            if (line.text.contains(text) && line.color == color) return true;
        return false;
    }
    QString LogText() const {
        QString all;
        for (const RecordingJobView::LogLine& line : m_view.log) all += line.text;
        return all;
    }

    JobControl m_control;
    RecordingJobView m_view;
    JobParams m_params;
};

// The damaged file given as the second row has exactly the name the first
// row's package would get. It stays byte for byte, and the row says why.
TEST_F(SaveOutputsTest, NeverWritesOverAFileGivenToRepair) {
    WriteBytes(Path("in/plan.odp"), "damaged plan");
    WriteBytes(Path("out/TORVEX_plan.odp"), "another damaged file");
    AddRow(Path("in/plan.odp"));
    AddRow(Path("out/TORVEX_plan.odp"));
    EXPECT_EQ(SaveWorker(&m_params), 1);
    EXPECT_EQ(ReadBytes(Path("out/TORVEX_plan.odp")), QByteArray("another damaged file"));
    EXPECT_TRUE(Logged(Path("in/plan.odp") + " saving of file failed: " +
                           Path("out/TORVEX_plan.odp") + " is one of the files given to repair",
                       kLogRed))
        << LogText().toStdString();
    EXPECT_FALSE(Logged(Path("in/plan.odp") + " saving of file done", kLogGreen));
    EXPECT_TRUE(QFile::exists(Path("out/TORVEX_TORVEX_plan.odp")));
}

// The same file reached through a link in another folder is still that file.
TEST_F(SaveOutputsTest, ALinkToTheTargetCountsAsTheFileItself) {
    WriteBytes(Path("in/plan.odp"), "damaged plan");
    WriteBytes(Path("out/TORVEX_plan.odp"), "another damaged file");
    ASSERT_TRUE(QFile::link(Path("out/TORVEX_plan.odp"), Path("elsewhere.odp")));
    AddRow(Path("in/plan.odp"));
    AddRow(Path("elsewhere.odp"));
    SaveWorker(&m_params);
    EXPECT_EQ(ReadBytes(Path("out/TORVEX_plan.odp")), QByteArray("another damaged file"));
}

// A file name as long as the file system allows once the prefix is added.
TEST_F(SaveOutputsTest, ALongFileNameStillGetsItsPackage) {
    const QString name = QString(244, 'n') + ".odp";  // TORVEX_ + 248 = 255 bytes
    AddRow("/talks/" + name);
    m_view.extractMedia = false;
    SaveWorker(&m_params);
    EXPECT_TRUE(Logged(" saving of file done", kLogGreen)) << LogText().toStdString();
    EXPECT_EQ(NamesIn(Path("out")), QStringList{"TORVEX_" + name});
}

struct MediaCase {
    const char* label;
    // Puts something in the way of the media folder out/plan.odp_MediaContent.
    void (*block)(const QString& mediaFolder);
    const char* reason;
};

class MediaRefusalTest : public SaveOutputsTest, public ::testing::WithParamInterface<MediaCase> {};

// When no picture can be copied, a red line says why; "done" would be untrue.
TEST_P(MediaRefusalTest, SaysWhyNoPictureWasCopied) {
    AddRow("/talks/plan.odp");
    GetParam().block(Path("out/plan.odp_MediaContent"));
    SaveWorker(&m_params);
    EXPECT_FALSE(Logged("Media extration is done", kLogBlack));
    EXPECT_TRUE(Logged("/talks/plan.odp media content not copied: ", kLogRed))
        << LogText().toStdString();
    EXPECT_TRUE(Logged(GetParam().reason, kLogRed)) << LogText().toStdString();
    EXPECT_TRUE(Logged("/talks/plan.odp saving of file done", kLogGreen));
}

INSTANTIATE_TEST_SUITE_P(Table, MediaRefusalTest,
                         ::testing::Values(MediaCase{"MediaFolderIsALink",
                                                     [](const QString& media) {
                                                         QFile::link("/nonexistent-target", media);
                                                     },
                                                     "is a symbolic link"},
                                           MediaCase{"AFileHasTheName",
                                                     [](const QString& media) {
                                                         QFile f(media);
                                                         f.open(QIODevice::WriteOnly);
                                                         f.write("x");
                                                     },
                                                     "is there already and is not a folder"},
                                           MediaCase{"APictureNameIsTakenByALink",
                                                     [](const QString& media) {
                                                         QDir().mkpath(media);
                                                         QFile::link("/nonexistent-target",
                                                                     media + "/p.png");
                                                     },
                                                     "no picture could be copied"}),
                         [](const auto& info) { return std::string(info.param.label); });

struct LayoutCase {
    const char* label;
    bool complete;
};

class MimetypeLayoutTest : public SaveOutputsTest,
                           public ::testing::WithParamInterface<LayoutCase> {};

// With the completion step, mimetype leads, stored and without an extra
// field; without it, the package is the folder packer's own, byte for byte.
TEST_P(MimetypeLayoutTest, MimetypeLeadsOnlyWithTheCompletionStep) {
    AddRow("/talks/plan.odp");
    m_view.extractMedia = false;
    m_params.completePackages = GetParam().complete;
    // The first read of a new file moves its access time, which a package
    // records: read them once before the two packs that are compared.
    FolderPacker settle;
    ASSERT_TRUE(settle.PackFolder(WorkingFolderOf("/talks/plan.odp", 0), Path("settle.odp")));
    SaveWorker(&m_params);
    const QByteArray bytes = ReadBytes(Path("out/TORVEX_plan.odp"));
    const ziptest::Archive a = ziptest::Parse(bytes);
    ASSERT_TRUE(a.error.isEmpty()) << a.error.toStdString();
    ASSERT_EQ(a.locals.size(), 3u);
    if (GetParam().complete) {
        EXPECT_EQ(a.locals[0].offset, 0);
        EXPECT_EQ(a.locals[0].name, QByteArray("mimetype"));
        EXPECT_EQ(a.locals[0].method, 0);
        EXPECT_EQ(a.locals[0].flags, 0);
        EXPECT_TRUE(a.locals[0].extra.isEmpty());
        EXPECT_EQ(bytes.mid(30, 8 + 47), "mimetypeapplication/vnd.oasis.opendocument.presentation");
        EXPECT_TRUE(a.centrals[0].extra.isEmpty());
        EXPECT_EQ(a.locals[1].name, QByteArray("content.xml"));
        EXPECT_EQ(a.locals[1].extra.size(), 17);
    } else {
        FolderPacker packer;
        ASSERT_TRUE(packer.PackFolder(WorkingFolderOf("/talks/plan.odp", 0), Path("plain.odp")));
        EXPECT_EQ(bytes, ReadBytes(Path("plain.odp")));
        EXPECT_EQ(a.locals[1].name, QByteArray("mimetype"));
        EXPECT_EQ(a.locals[1].method, 8);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, MimetypeLayoutTest,
                         ::testing::Values(LayoutCase{"CompletionOn", true},
                                           LayoutCase{"CompletionOff", false}),
                         [](const auto& info) { return std::string(info.param.label); });

// The terminal program prints only what was written in this run.
TEST_F(SaveOutputsTest, ReportsOnlyPackagesWrittenInThisRun) {
    BasicJobView view({"/talks/a.odp", "/talks/b.odp"}, Path("out"), false);
    m_params.view = &view;
    for (int row = 0; row < 2; ++row) {
        const QString work = WorkingFolderOf(view.FileRowText(row), row);
        WriteBytes(work + "/content.xml", "x");
        view.SetFileRowData(row, 1);
    }
    // An older package in the way as a folder: b cannot be saved.
    MakeFolder(Path("out/TORVEX_b.odp/x"));
    SaveWorker(&m_params);
    ASSERT_EQ(view.SavedPackages().size(), 1u);
    EXPECT_EQ(view.SavedPackages()[0].row, 0);
    EXPECT_EQ(view.SavedPackages()[0].path, Path("out/TORVEX_a.odp"));
}

}  // namespace
