// Both jobs driven through the real window: log lines and colours, row marks,
// and the states of buttons, menu items and toolbar buttons before, during and
// after a run.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/controls/est_progress_ctrl.h"
#include "app/controls/file_list_model.h"
#include "app/controls/picture_box.h"
#include "app/controls/prompt_edit.h"
#include "app/main_frame.h"
#include "app/view/ravel_view.h"
#include "htmlbox/message_call.h"
#include "recovery/job_control.h"
#include "window_fixture.h"

namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 153, 0);
const QString kStars = QString(85, '*');
const QString kUnderscores = QString(64, '_');

// What the user sees of the controls at one moment.
struct Snapshot {
    bool running, stopShown, stopEnabled, select, selectFlag, repair, remove;
    bool save, browse, extract, destination;
    bool fileRow, totalRow;
    bool menuSelect, menuRemove, menuRepair, menuBrowse, menuSave;
    int preview;
    QString hint;
    QRect log;
};

class WindowJobsTest : public WindowTest {
protected:
    Snapshot Take() const {
        Snapshot s;
        s.running = m_frame->IsProcessRunning() != 0;
        s.stopShown = !m_view->StopButton()->isHidden();
        s.stopEnabled = m_view->StopButton()->isEnabled();
        s.select = m_view->SelectButton()->isEnabled();
        s.selectFlag = m_view->IsSelectEnabled();
        s.repair = m_view->RepairButton()->isEnabled();
        s.remove = m_view->RemoveButton()->isEnabled();
        s.save = m_view->SaveButton()->isEnabled();
        s.browse = m_view->BrowseButton()->isEnabled();
        s.extract = m_view->ExtractMediaBox()->isEnabled();
        s.destination = m_view->DestinationEdit()->isEnabled();
        s.fileRow =
            !m_view->FileProgressLabel()->isHidden() && !m_view->FileProgressBar()->isHidden();
        s.totalRow =
            !m_view->TotalProgressLabel()->isHidden() && !m_view->TotalProgressBar()->isHidden();
        s.menuSelect = ActionEnabled(ID_FILE_SELECT_FILES);
        s.menuRemove = ActionEnabled(ID_FILE_REMOVE_FILES);
        s.menuRepair = ActionEnabled(ID_FILE_REPAIR_FILES);
        s.menuBrowse = ActionEnabled(ID_FILE_BROWSE_FOLDER);
        s.menuSave = ActionEnabled(ID_FILE_SAVE_FILES);
        s.preview = m_view->PictureBox()->State();
        s.hint = m_view->HintPane()->toPlainText();
        s.log = m_view->LogPane()->geometry();
        return s;
    }

    // Takes the snapshot the first time a log line containing `marker` arrives,
    // while the worker waits for the window.
    void SnapshotAt(const QString& marker) {
        auto taken = std::make_shared<std::optional<Snapshot>>();
        QObject::connect(m_view, &CRavelView::logAppended, m_view,
                         [this, taken, marker](const QString& text) {
                             if (!*taken && text.contains(marker)) *taken = Take();
                         });
        m_pendingSnapshot = taken;
    }
    std::shared_ptr<std::optional<Snapshot>> m_pendingSnapshot;

    // Three damaged packages (garbage before the first header) with content
    // and a thumbnail, and their log block when repaired.
    QStringList ThreePackages() {
        QStringList paths;
        for (const char* name : {"alpha.odp", "beta.odp", "gamma.odp"})
            paths << WritePackage(name,
                                  {{"content.xml", "<office:document-content/>"},
                                   {"Thumbnails/thumbnail.png", PngOf(Qt::red)}},
                                  7);
        return paths;
    }

    static std::vector<std::pair<QString, QColor>> RepairedBlock(const QString& p) {
        return {
            {p + " file is open....", kBlack},   {p + " file is extracted....", kBlack},
            {p + " file is closed....", kBlack}, {p + " preview of file is available....", kBlack},
            {p + "  Repaired....", kGreen},      {kStars, kBlack}};
    }

    void ExpectLog(const std::vector<std::pair<QString, QColor>>& expected) {
        const std::vector<ShownLogLine> shown = LogLines();
        ASSERT_EQ(shown.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(shown[i].text, expected[i].first) << "line " << i;
            EXPECT_EQ(shown[i].color, expected[i].second) << "line " << i;
            EXPECT_TRUE(shown[i].bold) << "line " << i;
        }
    }
};

TEST_F(WindowJobsTest, RepairRunFromTheWindow) {
    CreateWindow();
    // The plain log of the engine, without the completion step's line.
    m_frame->Action(ID_FILE_COMPLETE_PACKAGES)->setChecked(false);
    const QStringList paths = ThreePackages();
    SelectFiles(paths);
    // Files listed, not yet repaired.
    Snapshot listed = Take();
    EXPECT_TRUE(listed.repair && listed.remove && listed.menuRepair && listed.menuRemove);
    EXPECT_FALSE(listed.save || listed.menuSave || listed.menuBrowse);
    EXPECT_EQ(listed.preview, PB_SELECT_TO_REPAIR);
    EXPECT_EQ(m_view->LogPane()->toPlainText(), "Select .odp file(s) to Repair....");

    SnapshotAt(" file is open....");
    ASSERT_TRUE(RunJob([this] { m_view->OnRepairFiles(); }));

    // While it ran.
    ASSERT_TRUE(m_pendingSnapshot->has_value());
    const Snapshot during = **m_pendingSnapshot;
    EXPECT_TRUE(during.running);
    EXPECT_TRUE(during.stopShown && during.stopEnabled);
    EXPECT_FALSE(during.select || during.selectFlag || during.menuSelect);
    EXPECT_FALSE(during.repair || during.remove || during.menuRepair || during.menuRemove);
    EXPECT_FALSE(during.save || during.menuSave) << "the save group stays as it was";
    EXPECT_TRUE(during.fileRow && during.totalRow);
    EXPECT_EQ(during.preview, PB_REPAIRING);
    EXPECT_EQ(during.hint, "Please wait while .odp file(s) are Repairing....");
    EXPECT_EQ(during.log, RectFromEdges(10, 411, 990, 595));

    // The log of the run.
    std::vector<std::pair<QString, QColor>> expected;
    for (const QString& p : paths) {
        const auto block = RepairedBlock(p);
        expected.insert(expected.end(), block.begin(), block.end());
    }
    expected.push_back({"Repairing process completed....", kBlack});
    expected.push_back({kUnderscores, kBlack});
    expected.push_back({"", kBlack});
    ExpectLog(expected);

    // Afterwards.
    for (int row = 0; row < 3; ++row) EXPECT_EQ(m_view->FileModel()->ItemData(row), 1);
    EXPECT_TRUE(QFileInfo::exists(WorkingRoot() + "/beta.odp1/Thumbnails/thumbnail.png"));
    const Snapshot after = Take();
    EXPECT_FALSE(after.running || after.stopShown);
    EXPECT_TRUE(after.select && after.selectFlag && after.menuSelect);
    EXPECT_TRUE(after.repair && after.remove && after.menuRepair && after.menuRemove);
    EXPECT_TRUE(after.save && after.browse && after.extract && after.destination);
    EXPECT_TRUE(after.menuSave && after.menuBrowse);
    EXPECT_FALSE(after.fileRow || after.totalRow);
    EXPECT_EQ(after.log, RectFromEdges(10, 411, 990, 630));
    EXPECT_EQ(after.preview, PB_SELECT_TO_PREVIEW);
    EXPECT_EQ(after.hint,
              "Click item in the list to see the preview in right side.\n"
              "Click Browse folder to select destination path.\n"
              "Click Save.... to save .odp file(s)");
    EXPECT_EQ(m_view->TotalProgressBar()->GetPos(), 3);
    EXPECT_TRUE(m_view->IsListRepaired());
    EXPECT_TRUE(m_messages.empty());

    // A new selection after a run starts a fresh list and clears the working root.
    SelectFiles({paths[1]});
    EXPECT_EQ(m_view->FileModel()->Count(), 1);
    EXPECT_FALSE(QFileInfo::exists(WorkingRoot()));
    EXPECT_FALSE(m_view->IsListRepaired());
}

TEST_F(WindowJobsTest, StopBetweenFiles) {
    CreateWindow();
    // The plain log of the engine, without the completion step's line.
    m_frame->Action(ID_FILE_COMPLETE_PACKAGES)->setChecked(false);
    const QStringList paths = ThreePackages();
    SelectFiles(paths);
    // Press Stop, and answer Yes, as the first file's block ends.
    m_answers = {6};
    std::optional<Snapshot> afterStop;
    QObject::connect(m_view, &CRavelView::logAppended, m_view, [&](const QString& text) {
        if (text.startsWith('*') && !afterStop) {
            m_view->OnStop();
            afterStop = Take();
        }
    });
    ASSERT_TRUE(RunJob([this] { m_view->OnRepairFiles(); }));

    ASSERT_TRUE(afterStop);
    EXPECT_FALSE(afterStop->running);
    EXPECT_TRUE(afterStop->stopShown) << "Stop stays visible until the job ends";
    EXPECT_FALSE(afterStop->stopEnabled);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Are you sure to stop the running process?");
    EXPECT_EQ(m_messages[0].style, 36);

    std::vector<std::pair<QString, QColor>> expected = RepairedBlock(paths[0]);
    for (int row = 1; row < 3; ++row) {
        expected.push_back(
            {paths[row] + " file is not extracting as process has been stop by the user.... ",
             kBlack});
        expected.push_back({paths[row] + " not Repaired....", kRed});
        expected.push_back({kStars, kBlack});
    }
    expected.push_back({"Repairing process completed....", kBlack});
    expected.push_back({kUnderscores, kBlack});
    expected.push_back({"", kBlack});
    ExpectLog(expected);

    EXPECT_EQ(m_view->FileModel()->ItemData(0), 1);
    EXPECT_EQ(m_view->FileModel()->ItemData(1), 0);
    EXPECT_EQ(m_view->FileModel()->ItemData(2), 0);
    EXPECT_EQ(m_view->TotalProgressBar()->GetPos(), 3) << "the total bar shows full";
    EXPECT_TRUE(m_view->StopButton()->isHidden());
    EXPECT_TRUE(m_view->SelectButton()->isEnabled());
}

TEST_F(WindowJobsTest, StopAnsweredNoChangesNothing) {
    CreateWindow();
    SelectFiles(ThreePackages());
    m_answers = {7};
    bool asked = false;
    QObject::connect(m_view, &CRavelView::logAppended, m_view, [&](const QString& text) {
        if (text.startsWith('*') && !asked) {
            asked = true;
            m_view->OnStop();
            EXPECT_TRUE(m_frame->IsProcessRunning());
            EXPECT_TRUE(m_view->StopButton()->isEnabled());
        }
    });
    ASSERT_TRUE(RunJob([this] { m_view->OnRepairFiles(); }));
    for (int row = 0; row < 3; ++row) EXPECT_EQ(m_view->FileModel()->ItemData(row), 1);
}

TEST_F(WindowJobsTest, SaveRunFromTheWindow) {
    CreateWindow();
    // Only the second row can be repaired: the others are not packages at all.
    const QString good =
        WritePackage("good.odp", {{"content.xml", "<x/>"}, {"Pictures/p.png", PngOf(Qt::blue)}});
    const QStringList paths = {Tmp("missing.odp"), good, Tmp("gone.odp")};
    SelectFiles(paths);
    ASSERT_TRUE(RunJob([this] { m_view->OnRepairFiles(); }));
    ASSERT_EQ(m_view->FileModel()->ItemData(1), 1);
    m_messages.clear();

    // Save refuses a destination that is no folder, and nothing changes.
    m_view->DestinationEdit()->SetWindowText(Tmp("no such folder"));
    ASSERT_TRUE(RunJob([this] { m_view->OnSaveFiles(); }));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Please select a valid folder path.");
    EXPECT_TRUE(m_view->SaveButton()->isEnabled());
    m_messages.clear();

    // The folder browser fills the destination.
    ASSERT_TRUE(QDir().mkpath(Tmp("out")));
    CRavelView::SetFolderBrowserAnswer([this] { return std::optional<QString>(Tmp("out") + " "); });
    m_view->OnBrowseFolder();
    EXPECT_EQ(m_view->DestinationEdit()->GetWindowText(), Tmp("out"));

    SnapshotAt(" saving of file starts....");
    ASSERT_TRUE(RunJob([this] { m_view->OnSaveFiles(); }));
    ASSERT_TRUE(m_pendingSnapshot->has_value());
    const Snapshot during = **m_pendingSnapshot;
    EXPECT_TRUE(during.running && during.stopShown && during.stopEnabled);
    EXPECT_FALSE(during.select || during.repair || during.remove || during.save);
    EXPECT_FALSE(during.browse || during.extract || during.destination);
    EXPECT_FALSE(during.menuSelect || during.menuRepair || during.menuSave || during.menuBrowse);
    EXPECT_FALSE(during.fileRow);
    EXPECT_TRUE(during.totalRow);
    EXPECT_EQ(during.log, RectFromEdges(10, 411, 990, 610));
    EXPECT_EQ(during.hint, "Please wait while .odp file(s) are saving....");

    ExpectLog({{paths[0] + " cannot be saved,as it is not Repaired.", kRed},
               {kStars, kBlack},
               {good + " saving of file starts....", kBlack},
               {good + " Media extration is done....", kBlack},
               {good + " saving of file done....", kGreen},
               {kStars, kBlack},
               {paths[2] + " cannot be saved,as it is not Repaired.", kRed},
               {kStars, kBlack},
               {"Saving processing completed....", kBlack},
               {kUnderscores, kBlack},
               {"", kBlack}});
    EXPECT_TRUE(QFileInfo::exists(Tmp("out/TORVEX_good.odp")));
    EXPECT_TRUE(QFileInfo::exists(Tmp("out/good.odp_MediaContent/p.png")));

    const Snapshot after = Take();
    EXPECT_FALSE(after.running || after.stopShown || after.totalRow || after.fileRow);
    EXPECT_TRUE(after.select && after.repair && after.save && after.browse && after.menuSave);
    EXPECT_EQ(after.log, RectFromEdges(10, 411, 990, 630));
    EXPECT_EQ(after.hint,
              "Saving of .odp file(s) completed....\n Click exit to end the application or \n"
              "Select new .odp file(s) to repair....");
    // The last word links to the destination as typed.
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages.back().text,
              "File(s) saving process has been completed.Saved file(s) location is:<br><a href='" +
                  Tmp("out") + "'>" + Tmp("out") + "</a>");
    EXPECT_EQ(m_messages.back().style, 64);
}

TEST_F(WindowJobsTest, CompletionSwitchIsReadAtEachRepairStart) {
    CreateWindow();
    // No manifest in the package: completing it writes one.
    SelectFiles({WritePackage("plain.odp", {{"content.xml", "<x/>"}})});
    const QString manifest = WorkingRoot() + "/plain.odp0/META-INF/manifest.xml";
    ASSERT_TRUE(m_frame->Action(ID_FILE_COMPLETE_PACKAGES)->isChecked());
    ASSERT_TRUE(RunJob([this] { m_view->OnRepairFiles(); }));
    EXPECT_TRUE(QFileInfo::exists(manifest));

    m_frame->Action(ID_FILE_COMPLETE_PACKAGES)->setChecked(false);
    ASSERT_TRUE(RunJob([this] { m_view->OnRepairFiles(); }));
    EXPECT_EQ(m_view->FileModel()->ItemData(0), 1);
    EXPECT_FALSE(QFileInfo::exists(manifest));
}

TEST_F(WindowJobsTest, SaveIsRefusedWhileAJobRuns) {
    CreateWindow();
    m_frame->SetProcessRunning(1);
    m_view->OnSaveFiles();
    m_frame->SetProcessRunning(0);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Please stop the running process before saving the file(s).");
    EXPECT_FALSE(m_view->IsWorkerAlive());
}

}  // namespace

namespace {

// A box the worker raises is shown by the user-interface thread without
// disabling the window; the worker waits for the answer.
TEST_F(WindowJobsTest, WorkerMessageLeavesTheWindowUsable) {
    CreateWindow();
    SetMessageAnswerHook({});  // a real box this time
    std::atomic<int> answer{-1};
    // The box runs its own event loop on the user-interface thread, so it is
    // looked at and answered from a timer inside that loop.
    bool seen = false, windowEnabled = false, noModal = false, workerWaited = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top == m_frame.get() || !top->isVisible() || !qobject_cast<QDialog*>(top)) continue;
            seen = true;
            windowEnabled = m_frame->isEnabled();
            noModal = QApplication::activeModalWidget() == nullptr;
            workerWaited = answer.load() == -1;
            look.stop();
            QTest::keyClick(top, Qt::Key_Escape);
            return;
        }
    });
    look.start(10);
    std::thread worker([&] { answer = m_view->ShowMessage("From the worker", kMsgInfo); });
    for (int i = 0; i < 500 && answer.load() == -1; ++i) QTest::qWait(10);
    look.stop();
    if (answer.load() == -1) {
        // Do not leave the worker blocked behind a box nobody found.
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(top)) dialog->reject();
        QTest::qWait(50);
    }
    worker.join();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(windowEnabled);
    EXPECT_TRUE(noModal);
    EXPECT_TRUE(workerWaited) << "the worker waits for the answer";
    EXPECT_EQ(answer.load(), kAnswerCancel);
}

}  // namespace
