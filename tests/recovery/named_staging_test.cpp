// Extraction where the file system gives no unnamed files: every member is
// then written under a short hidden name and renamed, and what is given up
// must leave nothing behind just the same.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "platform/folders.h"
#include "platform/staged_file.h"
#include "recovery/default_content.h"
#include "recovery/entry_extraction.h"
#include "recovery/entry_scanner.h"
#include "support/package_builder.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/recording_job_view.h"
#include "support/test_files.h"

namespace {

const QByteArray kSlides = QByteArray("<draw:page draw:name=\"page\"/>").repeated(300);

class NamedStaging : public ::testing::Test {
protected:
    void SetUp() override { platform::SetUnnamedFilesAllowed(false); }
    void TearDown() override { platform::SetUnnamedFilesAllowed(true); }
};

TEST_F(NamedStaging, WritesTheGoodMembersAndLeavesNoHiddenFile) {
    PrivateTempDir tmp;
    const QString package = tmp.Path("plan.odp");
    // A content.xml whose stream stops half way: it is given up once its
    // hidden file exists, which then has to go again.
    const QByteArray stream = PackageBuilder::RawDeflate(kSlides);
    LocalHeader cut;
    cut.method = 8;
    cut.name = "content.xml";
    cut.compressedSize = uint32_t(stream.size() / 2);
    cut.uncompressedSize = uint32_t(kSlides.size());
    PackageBuilder b;
    b.Stored("mimetype", "application/vnd.oasis.opendocument.presentation")
        .Member(cut, stream.left(stream.size() / 2))
        .Deflated("Pictures/1000.png", PackageBuilder::Incompressible(5000))
        .Deflated("styles.xml", kSlides)
        .CentralDirectory();
    ASSERT_TRUE(b.WriteTo(package));
    const QString folder = tmp.Path("w");
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    WriteBytes(folder + "/styles.xml", "an earlier, longer styles document to be replaced");

    JobControl control;
    control.SetProcessRunning(1);
    RecordingJobView view;
    JobParams params{&control, &view};
    ASSERT_EQ(ScanPackage(package, &params), 1);
    EXPECT_EQ(ExtractEntries(folder, package, &params), 1);

    EXPECT_EQ(Tree(folder), QStringList({"content.xml", "mimetype", "Pictures/",
                                         "Pictures/1000.png", "styles.xml"}));
    EXPECT_EQ(ReadAll(folder + "/Pictures/1000.png"), PackageBuilder::Incompressible(5000));
    EXPECT_EQ(ReadAll(folder + "/styles.xml"), kSlides);
    EXPECT_EQ(ReadAll(folder + "/content.xml"), DefaultContentDocument());
    EXPECT_EQ(Tree(tmp.Path()).filter(QRegularExpression("^\\.")), QStringList());
}

}  // namespace
