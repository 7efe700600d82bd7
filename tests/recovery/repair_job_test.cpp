#include "recovery/repair_job.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/default_content.h"
#include "support/package_builder.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/recording_job_view.h"
#include "support/test_files.h"

namespace {

using Line = RecordingJobView::LogLine;

const QByteArray kSlides = QByteArray("<draw:page draw:name=\"page\"/>").repeated(300);
const QString kHintDone =
    "Click item in the list to see the preview in right side.\n"
    "Click Browse folder to select destination path.\n"
    "Click Save.... to save .odp file(s)";

std::vector<Line> RepairedLines(const QString& p) {
    return {{p + " file is open....\r\n", kLogBlack},
            {p + " file is extracted....\r\n", kLogBlack},
            {p + " file is closed....\r\n", kLogBlack},
            {p + " preview of file is available....\r\n", kLogBlack},
            {p + "  Repaired....\r\n", kLogGreen},
            {kFileSeparator, kLogBlack}};
}

std::vector<Line> StoppedLines(const QString& p) {
    return {
        {p + " file is not extracting as process has been stop by the user.... \r\n", kLogBlack},
        {p + " not Repaired....\r\n", kLogRed},
        {kFileSeparator, kLogBlack}};
}

std::vector<Line> CompletionLines() {
    return {{"Repairing process completed....\r\n", kLogBlack}, {kJobEndSeparator, kLogBlack}};
}

std::vector<Line> Join(std::initializer_list<std::vector<Line>> parts) {
    std::vector<Line> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<int> RowMarks(const RecordingJobView& view) {
    std::vector<int> marks;
    for (const auto& row : view.rows) marks.push_back(row.data);
    return marks;
}

class RepairJob : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.IsValid());
        ASSERT_EQ(platform::CreateFolder(tmp.Path("in")), 0);
    }

    // A package with a few members, `tag` making its bytes its own.
    QString Package(const QString& name, const QByteArray& tag = "a") {
        const QString path = tmp.Path("in/" + name);
        PackageBuilder()
            .Garbage(17)
            .Stored("mimetype", "application/vnd.oasis.opendocument.presentation")
            .Deflated("content.xml", kSlides + tag)
            .Deflated("Pictures/1000.png", "png:" + tag)
            .CentralDirectory()
            .WriteTo(path);
        return path;
    }

    // The plain repair; the completion step has tests of its own below.
    void Run(RecordingJobView& view, bool complete = false) {
        JobParams params{&control, &view};
        params.completePackages = complete;
        ASSERT_TRUE(BeginRepairRun(&params));
        EXPECT_EQ(control.IsProcessRunning(), 1);
        EXPECT_EQ(RepairWorker(&params), 1);
    }

    QString Root() const { return tmp.WorkingRoot(); }

    PrivateTempDir tmp;
    JobControl control;
};

TEST_F(RepairJob, LogsEveryFileLineForLineInItsColour) {
    const QString good = Package("good.odp");
    const QString missing = tmp.Path("in/missing.odp");
    const QString garbage = tmp.Path("in/garbage.odp");
    PackageBuilder().Garbage(4000).WriteTo(garbage);
    RecordingJobView view({good, missing, garbage});

    Run(view);

    const QString mail = kSupportMail;
    EXPECT_EQ(view.log, Join({RepairedLines(good),
                              {{missing + " extraction of file failed.Please contact at " + mail +
                                    " for further assitance.\r\n",
                                kLogBlack}},
                              {{garbage + " file is open....\r\n", kLogBlack},
                               {garbage + " file is extracted....\r\n", kLogBlack},
                               {garbage + " file is closed....\r\n", kLogBlack},
                               {garbage + " extraction of file failed. Please contact at " + mail +
                                    " for further assitance.\r\n",
                                kLogBlack}},
                              CompletionLines()}));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, platform::ErrorText(ENOENT));
    EXPECT_EQ(view.messages[0].style, kMsgInfo);

    // Only the file that yielded members counts as repaired.
    EXPECT_EQ(RowMarks(view), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(Tree(Root()), QStringList({"garbage.odp2/", "good.odp0/", "good.odp0/content.xml",
                                         "good.odp0/mimetype", "good.odp0/Pictures/",
                                         "good.odp0/Pictures/1000.png"}));
    EXPECT_EQ(ReadAll(Root() + "/good.odp0/content.xml"), kSlides + "a");
    // The root is the user's alone.
    EXPECT_EQ(QFileInfo(Root()).permissions() & 0x0777,
              QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);

    // The bars, the preview box and the controls, before, during and after.
    EXPECT_EQ(view.totalRange, 3);
    EXPECT_EQ(view.totalPositions, (std::vector<int>{0, 0, 1, 2, 3, 3}));
    EXPECT_EQ(view.previewStates,
              (std::vector<int>{PB_NOT_REPAIRED, PB_REPAIRING, PB_SELECT_TO_PREVIEW}));
    EXPECT_EQ(control.IsProcessRunning(), 0);
    EXPECT_TRUE(view.repairEnabled);
    EXPECT_TRUE(view.saveEnabled);
    EXPECT_TRUE(view.selectFlag);
    EXPECT_TRUE(view.selectButton);
    EXPECT_FALSE(view.stopShown);
    EXPECT_EQ(view.progressGroup, kShowHide);
    EXPECT_EQ(view.hintText, kHintDone);
    ASSERT_EQ(view.hintRanges.size(), 4u);
    const std::vector<std::pair<int, int>> bold = {{6, 22}, {62, 76}, {110, 118}, {127, 132}};
    for (size_t i = 0; i < bold.size(); ++i) {
        EXPECT_EQ(view.hintRanges[i].start, bold[i].first);
        EXPECT_EQ(view.hintRanges[i].end, bold[i].second);
    }
}

TEST_F(RepairJob, TheCommandClearsTheOldRootAndEntersTheRunningState) {
    ASSERT_EQ(platform::CreateFolder(Root()), 0);
    ASSERT_EQ(platform::CreateFolder(Root() + "/old.odp0"), 0);
    QFile(Root() + "/old.odp0/content.xml").open(QIODevice::WriteOnly);
    RecordingJobView view({Package("plan.odp")});
    view.logText = "the last run's log";
    JobParams params{&control, &view};

    ASSERT_TRUE(BeginRepairRun(&params));

    EXPECT_FALSE(platform::PathExists(Root()));
    EXPECT_EQ(view.calls, QStringList({"ShowPreviewState", "ShowPreviewState", "SetHintText",
                                       "EnableRepairGroup", "EnableStopButton", "ShowStopButton",
                                       "EnableSelectButton", "SetSelectEnabled", "ShowPreviewState",
                                       "SetLogText", "SetProgressPos", "SetProgressPos"}));
    EXPECT_EQ(view.previewStates, (std::vector<int>{PB_PICTURE, PB_NOT_REPAIRED, PB_REPAIRING}));
    EXPECT_EQ(view.hintText, "Please wait while .odp file(s) are Repairing....");
    ASSERT_EQ(view.hintRanges.size(), 1u);
    EXPECT_EQ(view.hintRanges[0].start, 19);
    EXPECT_EQ(view.hintRanges[0].end, 30);
    EXPECT_FALSE(view.repairEnabled);
    EXPECT_TRUE(view.stopEnabled);
    EXPECT_TRUE(view.stopShown);
    EXPECT_FALSE(view.selectButton);
    EXPECT_FALSE(view.selectFlag);
    EXPECT_EQ(control.IsProcessRunning(), 1);
    EXPECT_TRUE(view.logText.isEmpty());
    EXPECT_EQ(view.filePos, 0);
    EXPECT_EQ(view.totalPos, 0);
}

TEST_F(RepairJob, TheCommandRefusesARootThatIsALink) {
    ASSERT_EQ(platform::CreateFolder(tmp.Path("elsewhere")), 0);
    QFile(tmp.Path("elsewhere/keep.txt")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(tmp.Path("elsewhere"), Root()));
    RecordingJobView view({Package("plan.odp")});
    JobParams params{&control, &view};

    EXPECT_FALSE(BeginRepairRun(&params));

    EXPECT_EQ(view.calls, QStringList{"ShowMessage"});
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].style, kMsgInfo);
    EXPECT_TRUE(view.messages[0].text.contains("symbolic link"));
    EXPECT_EQ(control.IsProcessRunning(), 0);
    EXPECT_EQ(Tree(tmp.Path("elsewhere")), QStringList{"keep.txt"});
}

TEST_F(RepairJob, WritesNothingThroughARootThatBecameALink) {
    // The root is swapped for a link after the command checked it.
    ASSERT_EQ(platform::CreateFolder(tmp.Path("elsewhere")), 0);
    ASSERT_TRUE(QFile::link(tmp.Path("elsewhere"), Root()));
    const QString plan = Package("plan.odp");
    RecordingJobView view({plan});
    JobParams params{&control, &view};
    control.SetProcessRunning(1);

    RepairWorker(&params);

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_TRUE(view.messages[0].text.contains("symbolic link"));
    EXPECT_TRUE(Tree(tmp.Path("elsewhere")).isEmpty());
    EXPECT_EQ(RowMarks(view), std::vector<int>{0});
    EXPECT_EQ(view.log[3].text, plan + " extraction of file failed. Please contact at " +
                                    kSupportMail + " for further assitance.\r\n");
}

TEST_F(RepairJob, AWorkingFolderThatCannotBeMadeIsNoRepair) {
    // The root lies below a plain file, so no folder can be made there.
    QFile(tmp.Path("plain-file")).open(QIODevice::WriteOnly);
    SetWorkingRootOverride(tmp.Path("plain-file/ImpTmp"));
    const QString plan = Package("plan.odp");
    RecordingJobView view({plan});
    Run(view);
    SetWorkingRootOverride(QString());

    EXPECT_EQ(RowMarks(view), std::vector<int>{0});
    ASSERT_EQ(view.log.size(), 6u);
    EXPECT_EQ(view.log[3].text, plan + " extraction of file failed. Please contact at " +
                                    kSupportMail + " for further assitance.\r\n");
}

TEST_F(RepairJob, AStopDuringTheThirdOfFiveFilesFinishesItAndSkipsTheRest) {
    QStringList paths;
    for (int i = 1; i <= 5; ++i) paths << Package(QString("talk%1.odp").arg(i));
    // Presses Stop once the third file's first member has been found.
    struct StopInThird : RecordingJobView {
        using RecordingJobView::RecordingJobView;
        JobControl* control = nullptr;
        bool armed = false;
        void AppendEntry(const EntryInfo& e) override {
            RecordingJobView::AppendEntry(e);
            if (armed) control->SetProcessRunning(0);
        }
    } view(paths);
    view.control = &control;
    view.onAppend = [&](const Line& line) {
        view.armed = line.text == paths[2] + " file is open....\r\n";
    };

    Run(view);

    EXPECT_EQ(view.log,
              Join({RepairedLines(paths[0]), RepairedLines(paths[1]), RepairedLines(paths[2]),
                    StoppedLines(paths[3]), StoppedLines(paths[4]), CompletionLines()}));
    EXPECT_EQ(RowMarks(view), (std::vector<int>{1, 1, 1, 0, 0}));
    // The third file's extraction sees the stop before its first member, so
    // nothing of it is written, and the built-in document stands in for its
    // content.xml.
    EXPECT_EQ(Tree(Root() + "/talk3.odp2"), QStringList({"content.xml"}));
    EXPECT_EQ(ReadAll(Root() + "/talk3.odp2/content.xml"), DefaultContentDocument());
    EXPECT_FALSE(platform::PathExists(Root() + "/talk4.odp3"));
    EXPECT_EQ(view.totalPos, 5);
    EXPECT_EQ(view.totalPositions, (std::vector<int>{0, 0, 1, 2, 3, 5}));
    EXPECT_EQ(control.IsProcessRunning(), 0);
    EXPECT_TRUE(view.repairEnabled);
    EXPECT_FALSE(view.stopShown);
}

TEST_F(RepairJob, AnEmptyListOnlyCompletes) {
    RecordingJobView view;
    Run(view);
    EXPECT_EQ(view.log, CompletionLines());
    EXPECT_EQ(view.totalRange, 0);
    EXPECT_EQ(view.totalPositions, (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(view.repairEnabled);
    EXPECT_TRUE(view.saveEnabled);
    EXPECT_TRUE(view.selectButton);
    EXPECT_EQ(control.IsProcessRunning(), 0);
    EXPECT_TRUE(platform::FolderExists(Root()));
}

TEST_F(RepairJob, TwoRowsWithTheSameFileNameGetFoldersOfTheirOwn) {
    ASSERT_EQ(platform::CreateFolder(tmp.Path("in/old")), 0);
    const QString first = Package("plan.odp", "first");
    const QString second = Package("old/plan.odp", "second");
    RecordingJobView view({first, second});
    Run(view);
    EXPECT_EQ(RowMarks(view), (std::vector<int>{1, 1}));
    EXPECT_EQ(ReadAll(Root() + "/plan.odp0/Pictures/1000.png"), "png:first");
    EXPECT_EQ(ReadAll(Root() + "/plan.odp1/Pictures/1000.png"), "png:second");
}

TEST_F(RepairJob, ASecondRunStartsAfreshAndUnmarksAPackageThatIsGone) {
    const QString kept = Package("kept.odp");
    const QString gone = Package("gone.odp");
    RecordingJobView view({kept, gone});
    Run(view);
    ASSERT_EQ(RowMarks(view), (std::vector<int>{1, 1}));
    QFile(Root() + "/kept.odp0/left-over").open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::remove(gone));

    view.previewStates.clear();
    view.messages.clear();
    Run(view);

    EXPECT_EQ(view.previewStates.front(), PB_PICTURE);
    EXPECT_EQ(RowMarks(view), (std::vector<int>{1, 0}));
    EXPECT_FALSE(platform::PathExists(Root() + "/gone.odp1"));
    EXPECT_FALSE(platform::PathExists(Root() + "/kept.odp0/left-over"));
    EXPECT_TRUE(platform::FileExists(Root() + "/kept.odp0/content.xml"));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, platform::ErrorText(ENOENT));
}

}  // namespace

namespace {

TEST_F(RepairJob, CompletionLeavesAnIntactPackageAsThePlainRepairDoes) {
    const QString path = tmp.Path("in/intact.odp");
    PackageBuilder()
        .Stored("mimetype", "application/vnd.oasis.opendocument.presentation")
        .Deflated("content.xml", kSlides + "<draw:image xlink:href=\"Pictures/1000.png\"/>")
        .Deflated("Pictures/1000.png", "png")
        .Deflated("META-INF/manifest.xml",
                  "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:"
                  "manifest:1.0\"/>")
        .CentralDirectory()
        .WriteTo(path);
    RecordingJobView plain({path});
    Run(plain, false);
    const QStringList plainTree = Tree(Root());
    RecordingJobView completed({path});
    Run(completed, true);

    EXPECT_EQ(completed.log, plain.log);
    EXPECT_EQ(Tree(Root()), plainTree);
    EXPECT_EQ(Tree(Root()),
              QStringList({"intact.odp0/", "intact.odp0/content.xml", "intact.odp0/META-INF/",
                           "intact.odp0/META-INF/manifest.xml", "intact.odp0/mimetype",
                           "intact.odp0/Pictures/", "intact.odp0/Pictures/1000.png"}));
}

TEST_F(RepairJob, CompletionReportsWhatItDidAfterTheClosedLine) {
    const QString path = Package("cut.odp");  // no manifest
    RecordingJobView view({path});
    Run(view, true);
    ASSERT_GE(view.log.size(), 5u);
    EXPECT_EQ(view.log[2].text, path + " file is closed....\r\n");
    EXPECT_EQ(view.log[3].text, path + " file is completed: manifest rebuilt....\r\n");
    EXPECT_EQ(view.log[3].color, kLogBlack);
    EXPECT_EQ(view.log[4].text, path + " preview of file is available....\r\n");
    EXPECT_TRUE(platform::FileExists(Root() + "/cut.odp0/META-INF/manifest.xml"));
}

}  // namespace
