#include "packaging/save_job.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "packaging/private_temp_test.h"
#include "packaging/zip_layout_reader.h"
#include "support/recording_job_view.h"
#include "support/unprivileged.h"

namespace {

using Line = RecordingJobView::LogLine;

const QString kStop = " file is not saving as process has been stop by the user.... \r\n";
const QString kSeparator = QString(85, '*') + "\r\n";
const QString kEnd = QString(64, '_') + "\r\n\r\n";
const QString kFinalMessage =
    "File(s) saving process has been completed.Saved file(s) location is:<br><a href='%1'>%1</a>";

class SaveJobTest : public PrivateTempTest {
protected:
    void SetUp() override {
        PrivateTempTest::SetUp();
        m_params.mainWnd = &m_control;
        m_params.view = &m_view;
        MakeFolder(Path("out"));
        m_view.destination = Path("out");
    }

    // A row as the Repair job leaves it: its path, its mark and, when
    // repaired, a working folder with a few members.
    void AddRow(const QString& path, bool repaired, bool withPicture = true) {
        const int row = static_cast<int>(m_view.rows.size());
        m_view.rows.push_back({path, repaired ? 1 : 0});
        if (!repaired) return;
        const QString work = WorkingFolderOf(path, row);
        WriteBytes(work + "/mimetype", "application/vnd.oasis.opendocument.presentation");
        WriteBytes(work + "/content.xml", "row " + QByteArray::number(row));
        if (withPicture)
            WriteBytes(work + "/Pictures/p.png", "picture of row " + QByteArray::number(row));
    }

    QStringList Members(const QString& package) {
        const ziptest::Archive a = ziptest::Parse(ReadBytes(package));
        EXPECT_TRUE(a.error.isEmpty()) << package.toStdString() << ": " << a.error.toStdString();
        QStringList names;
        for (const ziptest::CentralHeader& c : a.centrals) names << QString::fromLatin1(c.name);
        return names;
    }

    QByteArray MemberBytes(const QString& package, const QByteArray& name) {
        const QByteArray bytes = ReadBytes(package);
        const ziptest::Archive a = ziptest::Parse(bytes);
        for (const ziptest::LocalHeader& l : a.locals) {
            bool ok = false;
            if (l.name == name) return ziptest::MemberData(bytes, l, &ok);
        }
        return QByteArray();
    }

    static std::vector<Line> SavedRow(const QString& p, bool media) {
        std::vector<Line> lines{{p + " saving of file starts....\r\n", kLogBlack}};
        if (media) lines.push_back({p + " Media extration is done....\r\n", kLogBlack});
        lines.push_back({p + " saving of file done....\r\n", kLogGreen});
        lines.push_back({kSeparator, kLogBlack});
        return lines;
    }
    static std::vector<Line> UnrepairedRow(const QString& p) {
        return {{p + " cannot be saved,as it is not Repaired.\r\n", kLogRed},
                {kSeparator, kLogBlack}};
    }
    static std::vector<Line> StoppedRow(const QString& p) {
        return {
            {p + kStop, kLogBlack}, {p + " not saved....\r\n", kLogRed}, {kSeparator, kLogBlack}};
    }
    static std::vector<Line> Completion() {
        return {{"Saving processing completed....\r\n", kLogBlack}, {kEnd, kLogBlack}};
    }
    static std::vector<Line> Join(std::initializer_list<std::vector<Line>> parts) {
        std::vector<Line> all;
        for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    }

    void ExpectFinishedState() {
        EXPECT_EQ(m_control.IsProcessRunning(), 0);
        EXPECT_TRUE(m_view.saveEnabled);
        EXPECT_TRUE(m_view.repairEnabled);
        EXPECT_TRUE(m_view.selectFlag);
        EXPECT_TRUE(m_view.selectButton);
        EXPECT_FALSE(m_view.stopShown);
        EXPECT_EQ(m_view.progressGroup, kShowHide);
        EXPECT_EQ(m_view.totalOnly, kShowHide);
        EXPECT_EQ(m_view.hintText,
                  "Saving of .odp file(s) completed....\n Click exit to end the application or "
                  "\nSelect new .odp file(s) to repair....");
        ASSERT_EQ(m_view.hintRanges.size(), 1u);
        EXPECT_EQ(m_view.hintRanges[0].start, 11);
        EXPECT_EQ(m_view.hintRanges[0].end, 22);
        ASSERT_FALSE(m_view.messages.empty());
        const RecordingJobView::Message& last = m_view.messages.back();
        EXPECT_EQ(last.text, kFinalMessage.arg(m_view.destination));
        EXPECT_EQ(last.style, kMsgInfo);
        EXPECT_TRUE(last.ownedByView);
    }

    JobControl m_control;
    RecordingJobView m_view;
    JobParams m_params;
};

TEST_F(SaveJobTest, OnlyTheRepairedRowIsSaved) {
    AddRow("/talks/one.odp", false);
    AddRow("/talks/two.odp", true);
    AddRow("/talks/three.odp", false);
    EXPECT_EQ(SaveWorker(&m_params), 1);

    EXPECT_EQ(m_view.log, Join({UnrepairedRow("/talks/one.odp"), SavedRow("/talks/two.odp", true),
                                UnrepairedRow("/talks/three.odp"), Completion()}));
    EXPECT_EQ(NamesIn(Path("out")), (QStringList{"TORVEX_two.odp", "two.odp_MediaContent"}));
    // The completion step is on: mimetype leads.
    EXPECT_EQ(Members(Path("out/TORVEX_two.odp")),
              (QStringList{"mimetype", "content.xml", "Pictures/p.png"}));
    EXPECT_EQ(ReadBytes(Path("out/two.odp_MediaContent/p.png")), QByteArray("picture of row 1"));
    EXPECT_EQ(m_view.totalRange, 3);
    EXPECT_EQ(m_view.totalPositions, (std::vector<int>{0, 0, 1, 2, 3, 3}));
    EXPECT_EQ(m_view.rows[1].data, 1);
    ExpectFinishedState();
}

// Every call of a run over an empty list, in order.
TEST_F(SaveJobTest, EmptyListStillCompletesWithTheMessage) {
    EXPECT_EQ(SaveWorker(&m_params), 1);
    EXPECT_EQ(m_view.log, Completion());
    const QStringList expected = {"SetProgressPos",
                                  "SetProgressPos",
                                  "EnableSaveGroup",
                                  "SetLogText",
                                  "EnableSelectButton",
                                  "SetSelectEnabled",
                                  "EnableRepairGroup",
                                  "SetHintText",
                                  "EnableStopButton",
                                  "ShowStopButton",
                                  "ShowTotalProgressOnly",
                                  "RelayoutView",
                                  "SetProgressRange",
                                  "SetProgressPos",
                                  "SetProgressPos",
                                  "AppendLog",
                                  "AppendLog",
                                  "SetHintText",
                                  "ShowStopButton",
                                  "EnableSaveGroup",
                                  "EnableSelectButton",
                                  "SetSelectEnabled",
                                  "EnableRepairGroup",
                                  "ShowProgressGroup",
                                  "ShowTotalProgressOnly",
                                  "RelayoutView",
                                  "ShowMessage"};
    EXPECT_EQ(m_view.calls, expected);
    ExpectFinishedState();
}

// The state while a row is saved, seen from the first log line of the row.
TEST_F(SaveJobTest, RunningStateWhileSaving) {
    AddRow("/talks/a.odp", true);
    bool checked = false;
    m_view.onAppend = [&](const Line&) {
        if (checked) return;
        checked = true;
        EXPECT_EQ(m_control.IsProcessRunning(), 1);
        EXPECT_FALSE(m_view.saveEnabled);
        EXPECT_FALSE(m_view.repairEnabled);
        EXPECT_FALSE(m_view.selectFlag);
        EXPECT_FALSE(m_view.selectButton);
        EXPECT_TRUE(m_view.stopShown);
        EXPECT_TRUE(m_view.stopEnabled);
        EXPECT_EQ(m_view.totalOnly, kShow);
        EXPECT_EQ(m_view.hintText, "Please wait while .odp file(s) are saving....");
        ASSERT_EQ(m_view.hintRanges.size(), 1u);
        EXPECT_EQ(m_view.hintRanges[0].start, 19);
        EXPECT_EQ(m_view.hintRanges[0].end, 30);
    };
    m_view.logText = "left from the repair run";
    SaveWorker(&m_params);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(m_view.logText.contains("left from the repair run"));
}

TEST_F(SaveJobTest, StopDuringTheSecondOfFour) {
    const QStringList paths = {"/t/1.odp", "/t/2.odp", "/t/3.odp", "/t/4.odp"};
    for (const QString& p : paths) AddRow(p, true);
    m_view.onAppend = [&](const Line& line) {
        if (line.text == "/t/2.odp saving of file starts....\r\n") m_control.SetProcessRunning(0);
    };
    EXPECT_EQ(SaveWorker(&m_params), 1);

    EXPECT_EQ(m_view.log, Join({SavedRow("/t/1.odp", true), SavedRow("/t/2.odp", true),
                                StoppedRow("/t/3.odp"), StoppedRow("/t/4.odp"), Completion()}));
    EXPECT_EQ(m_view.rows[0].data, 1);
    EXPECT_EQ(m_view.rows[1].data, 1);
    EXPECT_EQ(m_view.rows[2].data, 0);
    EXPECT_EQ(m_view.rows[3].data, 0);
    EXPECT_TRUE(QFileInfo::exists(Path("out/TORVEX_2.odp")));
    EXPECT_FALSE(QFileInfo::exists(Path("out/TORVEX_3.odp")));
    EXPECT_EQ(m_view.totalPos, 4);
    ExpectFinishedState();
}

// A stop is only noticed at a repaired row; unrepaired rows after it are
// reported as stopped too.
TEST_F(SaveJobTest, StopNoticedAtTheNextRepairedRow) {
    AddRow("/t/1.odp", true);
    AddRow("/t/2.odp", false);
    AddRow("/t/3.odp", true);
    AddRow("/t/4.odp", false);
    m_view.onAppend = [&](const Line& line) {
        if (line.text.startsWith("/t/1.odp saving of file done")) m_control.SetProcessRunning(0);
    };
    SaveWorker(&m_params);
    EXPECT_EQ(m_view.log, Join({SavedRow("/t/1.odp", true), UnrepairedRow("/t/2.odp"),
                                StoppedRow("/t/3.odp"), StoppedRow("/t/4.odp"), Completion()}));
}

// Same file name in two folders: one package path, the second replaces the first.
// Same-named rows of one run never overwrite each other; the later get a number.
TEST_F(SaveJobTest, RowsWithTheSameFileNameGetNamesOfTheirOwn) {
    AddRow("/a/plan.odp", true);
    AddRow("/b/plan.odp", true);
    AddRow("/c/plan.odp", true);
    SaveWorker(&m_params);
    const auto renamed = [](const QString& p, int n) {
        std::vector<Line> lines = SavedRow(p, true);
        lines.insert(lines.begin() + 1,
                     {p + QString(" is saved as TORVEX_plan (%1).odp, as an earlier file of this "
                                  "run has the same name....\r\n")
                              .arg(n),
                      kLogBlack});
        return lines;
    };
    EXPECT_EQ(m_view.log, Join({SavedRow("/a/plan.odp", true), renamed("/b/plan.odp", 2),
                                renamed("/c/plan.odp", 3), Completion()}));
    EXPECT_EQ(NamesIn(Path("out")),
              (QStringList{"TORVEX_plan (2).odp", "TORVEX_plan (3).odp", "TORVEX_plan.odp",
                           "plan.odp (2)_MediaContent", "plan.odp (3)_MediaContent",
                           "plan.odp_MediaContent"}));
    EXPECT_EQ(MemberBytes(Path("out/TORVEX_plan.odp"), "content.xml"), QByteArray("row 0"));
    EXPECT_EQ(MemberBytes(Path("out/TORVEX_plan (2).odp"), "content.xml"), QByteArray("row 1"));
    EXPECT_EQ(MemberBytes(Path("out/TORVEX_plan (3).odp"), "content.xml"), QByteArray("row 2"));
    EXPECT_EQ(ReadBytes(Path("out/plan.odp_MediaContent/p.png")), QByteArray("picture of row 0"));
    EXPECT_EQ(ReadBytes(Path("out/plan.odp (2)_MediaContent/p.png")),
              QByteArray("picture of row 1"));
}

class DestinationFormTest : public SaveJobTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(DestinationFormTest, PackagePathHasOneSeparatorAndTheMessageShowsTheTypedText) {
    AddRow("/talks/plan.odp", true);
    m_view.destination = Path("out") + GetParam();
    SaveWorker(&m_params);
    EXPECT_TRUE(QFileInfo(Path("out/TORVEX_plan.odp")).isFile());
    EXPECT_EQ(m_view.log, Join({SavedRow("/talks/plan.odp", true), Completion()}));
    ASSERT_EQ(m_view.messages.size(), 1u);
    EXPECT_EQ(m_view.messages[0].text, kFinalMessage.arg(Path("out") + GetParam()));
}

INSTANTIATE_TEST_SUITE_P(TrailingSeparator, DestinationFormTest, ::testing::Values("", "/"));

TEST_F(SaveJobTest, RefusedDestinationChangesNothing) {
    AddRow("/talks/plan.odp", true);
    WriteBytes(Path("a-file"), "x");
    for (const QString& destination : {QString(), Path("missing"), Path("a-file")}) {
        m_view.calls.clear();
        m_view.messages.clear();
        m_view.destination = destination;
        EXPECT_EQ(SaveWorker(&m_params), 0);
        EXPECT_EQ(m_view.calls, QStringList{"ShowMessage"}) << destination.toStdString();
        ASSERT_EQ(m_view.messages.size(), 1u);
        EXPECT_EQ(m_view.messages[0].text, "Please select a valid folder path.");
        EXPECT_EQ(m_view.messages[0].style, kMsgInfo);
        EXPECT_FALSE(m_view.messages[0].ownedByView);
        EXPECT_EQ(m_control.IsProcessRunning(), 0);
    }
    EXPECT_TRUE(NamesIn(Path("out")).isEmpty());
}

TEST_F(SaveJobTest, BeginRefusesWhileAJobRuns) {
    m_control.SetProcessRunning(1);
    EXPECT_FALSE(BeginSaveRun(&m_params));
    ASSERT_EQ(m_view.messages.size(), 1u);
    EXPECT_EQ(m_view.messages[0].text,
              "Please stop the running process before saving the file(s).");
    EXPECT_EQ(m_view.messages[0].style, kMsgInfo);
    EXPECT_FALSE(m_view.messages[0].ownedByView);
    EXPECT_EQ(m_control.IsProcessRunning(), 1);

    m_control.SetProcessRunning(0);
    EXPECT_TRUE(BeginSaveRun(&m_params));
    EXPECT_EQ(m_view.messages.size(), 1u);
}

TEST_F(SaveJobTest, MediaFolderWithoutPicturesIsRemovedAgain) {
    AddRow("/talks/plain.odp", true, false);
    SaveWorker(&m_params);
    EXPECT_EQ(
        m_view.log,
        Join({{{"/talks/plain.odp saving of file starts....\r\n", kLogBlack},
               {"/talks/plain.odp no media content is present in the file....\r\n", kLogBlack},
               {"/talks/plain.odp saving of file done....\r\n", kLogGreen},
               {kSeparator, kLogBlack}},
              Completion()}));
    EXPECT_EQ(NamesIn(Path("out")), QStringList{"TORVEX_plain.odp"});
}

TEST_F(SaveJobTest, MediaUntickedWritesNoMediaLineOrFolder) {
    AddRow("/talks/plan.odp", true);
    m_view.extractMedia = false;
    SaveWorker(&m_params);
    EXPECT_EQ(m_view.log, Join({SavedRow("/talks/plan.odp", false), Completion()}));
    EXPECT_EQ(NamesIn(Path("out")), QStringList{"TORVEX_plan.odp"});
}

// A media folder left by an earlier save is not empty, so extraction is "done".
TEST_F(SaveJobTest, EarlierMediaFolderCountsAsExtraction) {
    AddRow("/talks/plain.odp", true, false);
    WriteBytes(Path("out/plain.odp_MediaContent/old.png"), "old");
    SaveWorker(&m_params);
    EXPECT_EQ(m_view.log, Join({SavedRow("/talks/plain.odp", true), Completion()}));
}

// A package that cannot be written is a red line with the reason, never a
// green one, and nothing is left under the package's name.
TEST_F(SaveJobTest, PackageThatCannotBeWrittenIsLoggedAsFailed) {
    AddRow("/talks/plan.odp", true);
    AddRow("/talks/next.odp", true);
    MakeFolder(Path("out/TORVEX_plan.odp"));  // a folder takes the package's name
    SaveWorker(&m_params);

    ASSERT_EQ(m_view.log.size(), 10u);
    EXPECT_EQ(m_view.log[0].text, "/talks/plan.odp saving of file starts....\r\n");
    EXPECT_EQ(m_view.log[1].text, "/talks/plan.odp Media extration is done....\r\n");
    EXPECT_TRUE(m_view.log[2].text.startsWith("/talks/plan.odp saving of file failed: "))
        << m_view.log[2].text.toStdString();
    EXPECT_TRUE(m_view.log[2].text.contains(Path("out/TORVEX_plan.odp")));
    EXPECT_TRUE(m_view.log[2].text.endsWith("\r\n"));
    EXPECT_EQ(m_view.log[2].color, kLogRed);
    EXPECT_EQ(m_view.log[3], (Line{kSeparator, kLogBlack}));
    const std::vector<Line> rest(m_view.log.begin() + 4, m_view.log.end());
    EXPECT_EQ(rest, Join({SavedRow("/talks/next.odp", true), Completion()}));
    EXPECT_TRUE(QFileInfo(Path("out/TORVEX_plan.odp")).isDir());
    EXPECT_TRUE(NamesIn(Path("out/TORVEX_plan.odp")).isEmpty());
    EXPECT_TRUE(NamesIn(Path("out")).filter(".pelmark-").isEmpty());
    ExpectFinishedState();
}

TEST_F(SaveJobTest, FailedMemberKeepsTheOlderPackage) {
    AddRow("/talks/plan.odp", true);
    ASSERT_TRUE(QFile::link(WorkingRoot(), WorkingFolderOf("/talks/plan.odp", 0) + "/loop"));
    WriteBytes(Path("out/TORVEX_plan.odp"), "saved last week");
    m_view.extractMedia = false;
    SaveWorker(&m_params);
    ASSERT_EQ(m_view.log.size(), 5u);
    EXPECT_TRUE(
        m_view.log[1].text.startsWith("/talks/plan.odp saving of file failed: cannot add loop"))
        << m_view.log[1].text.toStdString();
    EXPECT_EQ(m_view.log[1].color, kLogRed);
    EXPECT_EQ(ReadBytes(Path("out/TORVEX_plan.odp")), QByteArray("saved last week"));
}

// A sub-folder of the working folder that cannot be read would leave its
// members out unseen: the row fails like a member that cannot be read.
TEST_F(SaveJobTest, UnreadableSubFolderFailsTheRowAndKeepsTheOlderPackage) {
    RunWherePermissionsBind(Path(""), [&] {
        AddRow("/talks/plan.odp", true);
        const QString pictures = WorkingFolderOf("/talks/plan.odp", 0) + "/Pictures";
        WriteBytes(Path("out/TORVEX_plan.odp"), "saved last week");
        m_view.extractMedia = false;
        ASSERT_TRUE(QFile::setPermissions(pictures, QFileDevice::WriteOwner));
        SaveWorker(&m_params);
        QFile::setPermissions(
            pictures, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ASSERT_EQ(m_view.log.size(), 5u);
        EXPECT_TRUE(m_view.log[1].text.startsWith(
            "/talks/plan.odp saving of file failed: cannot read the folder " + pictures))
            << m_view.log[1].text.toStdString();
        EXPECT_EQ(m_view.log[1].color, kLogRed);
        EXPECT_EQ(ReadBytes(Path("out/TORVEX_plan.odp")), QByteArray("saved last week"));
        EXPECT_EQ(NamesIn(Path("out")), QStringList{"TORVEX_plan.odp"});
    });
}

// A repaired row whose working folder is gone would give an empty package.
TEST_F(SaveJobTest, MissingWorkingFolderIsLoggedAsFailed) {
    m_view.rows.push_back({"/talks/gone.odp", 1});
    m_view.extractMedia = false;
    SaveWorker(&m_params);
    ASSERT_EQ(m_view.log.size(), 5u);
    EXPECT_EQ(m_view.log[1].color, kLogRed);
    EXPECT_TRUE(m_view.log[1].text.startsWith("/talks/gone.odp saving of file failed: "));
    EXPECT_TRUE(m_view.log[1].text.contains(WorkingFolderOf("/talks/gone.odp", 0)));
    EXPECT_TRUE(NamesIn(Path("out")).isEmpty());
}

TEST_F(SaveJobTest, DestinationIsEscapedInTheMessageMarkup) {
    MakeFolder(Path("it's <a&b> \"x\""));
    m_view.destination = Path("it's <a&b> \"x\"");
    SaveWorker(&m_params);
    ASSERT_EQ(m_view.messages.size(), 1u);
    const QString shown = Path("it&#39;s &lt;a&amp;b&gt; &quot;x&quot;");
    EXPECT_EQ(m_view.messages[0].text, kFinalMessage.arg(shown));
}

}  // namespace
