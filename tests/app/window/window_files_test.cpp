// The file list from the window: selection with its duplicate check, removal
// with the working folders, drops, and the preview of a clicked row.

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "app/app_settings.h"
#include "app/controls/file_list_model.h"
#include "app/controls/keld_list_ctrl.h"
#include "app/controls/picture_box.h"
#include "app/controls/prompt_edit.h"
#include "app/main_frame.h"
#include "app/view/ravel_view.h"
#include "app/window_arguments.h"
#include "recovery/job_control.h"
#include "window_fixture.h"

namespace {

class WindowFilesTest : public WindowTest {
protected:
    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < m_view->FileModel()->Count(); ++i) rows << m_view->FileModel()->Path(i);
        return rows;
    }
    void SelectRow(int row) {
        m_view->FileList()->clearSelection();
        m_view->FileList()->selectionModel()->select(
            m_view->FileModel()->index(row, 0),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void Drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        // A drop reaches only the widget that took the drag when it entered.
        QDragEnterEvent enter(QPoint(400, 200), Qt::CopyAction | Qt::MoveAction, &data,
                              Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_view, &enter);
        EXPECT_TRUE(enter.isAccepted());
        EXPECT_EQ(enter.dropAction(), Qt::MoveAction);
        QDropEvent drop(QPointF(400, 200), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(m_view, &drop);
        EXPECT_FALSE(drop.isAccepted()) << "the file manager must not delete what it dropped";
    }
    // The folder the real Select files dialog opens in (it is cancelled).
    QString DialogFolder();
};

TEST_F(WindowFilesTest, DuplicatesAreRefusedIgnoringAsciiCase) {
    CreateWindow();
    SelectFiles({"/talks/a/Plan.odp", "/talks/b.odp"});
    SelectFiles({"/talks/A/plan.ODP", "/talks/c.odp", "/talks/B.odp"});
    EXPECT_EQ(Rows(), QStringList({"/talks/a/Plan.odp", "/talks/b.odp", "/talks/c.odp"}));
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[0].text, "/talks/A/plan.ODPalready exist in the list.");
    EXPECT_EQ(m_messages[0].style, 64);
    EXPECT_EQ(m_messages[1].text, "/talks/B.odpalready exist in the list.");
    // Only ASCII letters fold: these two differ.
    m_view->FileModel()->AddRow(QString::fromUtf8("/talks/\u00e9t\u00e9.odp"));
    EXPECT_TRUE(m_view->IsNewListEntry(QString::fromUtf8("/talks/\u00c9t\u00e9.odp")));
    EXPECT_FALSE(m_view->IsNewListEntry(QString::fromUtf8("/TALKS/\u00e9T\u00e9.ODP")));

    // Even a selection of duplicates only enables the repair group.
    m_messages.clear();
    SelectFiles({"/talks/c.odp"});
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_view->RepairButton()->isEnabled());
}

TEST_F(WindowFilesTest, CancelledDialogChangesNothing) {
    CreateWindow();
    SelectFiles({"/talks/a.odp"});
    ASSERT_TRUE(QDir().mkpath(WorkingRoot() + "/a.odp0"));
    SelectFiles({});  // the fixture answers "cancelled" to an empty selection
    EXPECT_EQ(Rows(), QStringList({"/talks/a.odp"}));
    EXPECT_TRUE(QFileInfo::exists(WorkingRoot() + "/a.odp0"));
}

TEST_F(WindowFilesTest, RemoveRowZeroOfThreeRepairedRows) {
    CreateWindow();
    QStringList paths;
    for (const char* name : {"one.odp", "two.odp", "three.odp"})
        paths << WritePackage(name, {{"content.xml", "<x/>"}});
    SelectFiles(paths);
    ASSERT_TRUE(RunJob([this] { m_view->OnRepairFiles(); }));
    for (const char* folder : {"/one.odp0", "/two.odp1", "/three.odp2"})
        ASSERT_TRUE(QFileInfo::exists(WorkingRoot() + folder)) << folder;

    SelectRow(0);
    m_view->OnRemoveFiles();
    EXPECT_EQ(Rows(), QStringList({paths[1], paths[2]}));
    EXPECT_FALSE(QFileInfo::exists(WorkingRoot() + "/one.odp0"));
    // The rows moved up; their folders keep the names of their old places.
    EXPECT_TRUE(QFileInfo::exists(WorkingRoot() + "/two.odp1"));
    EXPECT_TRUE(QFileInfo::exists(WorkingRoot() + "/three.odp2"));
    EXPECT_EQ(m_view->PictureBox()->State(), PB_SELECT_TO_PREVIEW);
    EXPECT_TRUE(m_view->SaveButton()->isEnabled());

    // Two rows at once: the first one's folder with its index, then the next
    // one's with the index it has after the first went.
    m_view->FileList()->selectAll();
    m_view->OnRemoveFiles();
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(WorkingRoot()));
    EXPECT_FALSE(m_view->SaveButton()->isEnabled());
    EXPECT_FALSE(m_view->RepairButton()->isEnabled());
    EXPECT_FALSE(ActionEnabled(ID_FILE_REPAIR_FILES));
    EXPECT_EQ(m_view->PictureBox()->State(), PB_NO_FILES);
    EXPECT_EQ(m_view->LogPane()->toPlainText(),
              "Click Select files to select .odp file(s) to repair....");
    EXPECT_TRUE(m_view->DestinationEdit()->GetWindowText().isEmpty());

    // Nothing selected: the message, nothing else.
    m_messages.clear();
    SelectFiles({paths[0]});
    m_view->FileList()->clearSelection();
    m_view->OnRemoveFiles();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "No file(s) selected to remove.");
    EXPECT_EQ(Rows().size(), 1);
}

TEST_F(WindowFilesTest, DropsTakeOdpInAnyCaseAndSayWhatWasLeftOut) {
    CreateWindow();
    ASSERT_TRUE(QDir().mkpath(Tmp("slides.odp")));
    Drop({QUrl::fromLocalFile("/d/one.odp"), QUrl::fromLocalFile("/d/report.odp.bak"),
          QUrl::fromLocalFile("/d/REPORT.ODP"), QUrl::fromLocalFile("/d/Talk.Odp"),
          QUrl::fromLocalFile("/d/one.odp"), QUrl("https://example.org/remote.odp"),
          QUrl::fromLocalFile("/d/notes.txt"), QUrl::fromLocalFile(Tmp("slides.odp"))});
    EXPECT_EQ(Rows(), QStringList({"/d/one.odp", "/d/report.odp.bak", "/d/REPORT.ODP",
                                   "/d/Talk.Odp", "/d/one.odp"}));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_frame->PaneText(),
              "5 file(s) added to the list. Not added: https://example.org/remote.odp (not a "
              "local file); notes.txt (not an .odp file); slides.odp (a folder, not an .odp "
              "file).");
    EXPECT_EQ(m_view->LogPane()->toPlainText(),
              "Click Select files to select .odp file(s) to repair....");
    // Dropped files can be repaired at once.
    EXPECT_TRUE(m_view->RepairButton()->isEnabled());

    // During a job the rows are added, but the controls stay as the job set them.
    m_view->EnableRepairGroup(false);
    m_frame->SetProcessRunning(1);
    Drop({QUrl::fromLocalFile("/d/late.odp")});
    m_frame->SetProcessRunning(0);
    EXPECT_EQ(Rows().size(), 6);
    EXPECT_FALSE(m_view->RepairButton()->isEnabled());
}

// The folder the real file dialog opens in; the dialog is cancelled.
QString FolderTheDialogOpensIn(CRavelView* view) {
    QString folder;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, view, [&folder, &poll] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                poll.stop();
                folder = dialog->directory().absolutePath();
                dialog->reject();
            }
        }
    });
    poll.start();
    CRavelView::SetFileDialogAnswer({});
    view->OnSelectFiles();
    return folder;
}

QString WindowFilesTest::DialogFolder() {
    const QString folder = FolderTheDialogOpensIn(m_view);
    InstallFileDialogAnswer();
    return folder;
}

TEST_F(WindowFilesTest, FileDialogOpensAtHomeThenInTheLastFolder) {
    CreateWindow();
    EXPECT_EQ(DialogFolder(), QDir::homePath());
    ASSERT_TRUE(QDir().mkpath(Tmp("talks")));
    SelectFiles({Tmp("talks/a.odp"), Tmp("b.odp")});
    EXPECT_EQ(DialogFolder(), Tmp("talks"));
    // Kept in the settings for the next start; a folder that has gone gives home.
    CreateWindow();
    EXPECT_EQ(ReadSelectFilesFolder(), Tmp("talks"));
    ASSERT_TRUE(QDir(Tmp("talks")).removeRecursively());
    EXPECT_EQ(DialogFolder(), QDir::homePath());
}

TEST_F(WindowFilesTest, CommandLineArgumentsAreAbsoluteExistingFiles) {
    ASSERT_TRUE(QDir().mkpath(Tmp("in")));
    for (const char* name : {"in/a.odp", "in/B.ODP", "-dash.odp"}) {
        QFile file(Tmp(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Tmp("in")));
    const WindowArguments parsed = ParseWindowArguments(
        {"a.odp", Tmp("in/B.ODP"), "gone.odp", QUrl::fromLocalFile(Tmp("in/a.odp")).toString(),
         Tmp("in"), "--", Tmp("-dash.odp")});
    QDir::setCurrent(saved);
    EXPECT_TRUE(parsed.error.isEmpty());
    EXPECT_EQ(parsed.files,
              QStringList({Tmp("in/a.odp"), Tmp("in/B.ODP"), Tmp("in/a.odp"), Tmp("-dash.odp")}));
    EXPECT_EQ(parsed.missing, QStringList({"gone.odp", Tmp("in")}));
    EXPECT_EQ(ParseWindowArguments({"a.odp", "--bogus"}).error, "unknown option --bogus");
}

TEST_F(WindowFilesTest, OpenedFilesRefuseDuplicatesAsTheDialogDoes) {
    CreateWindow();
    m_view->OpenFiles({"/talks/a.odp", "/talks/b.odp", "/TALKS/A.odp"});
    EXPECT_EQ(Rows(), QStringList({"/talks/a.odp", "/talks/b.odp"}));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "/TALKS/A.odpalready exist in the list.");
    EXPECT_TRUE(m_view->RepairButton()->isEnabled());
    EXPECT_EQ(m_view->PictureBox()->State(), PB_SELECT_TO_REPAIR);
    // While a job runs the working folders stay and the rows are only added.
    ASSERT_TRUE(QDir().mkpath(WorkingRoot() + "/a.odp0"));
    m_frame->SetProcessRunning(1);
    m_view->SetSelectEnabled(false);
    m_view->OpenFiles({"/talks/c.odp", "/talks/b.odp"});
    m_frame->SetProcessRunning(0);
    EXPECT_EQ(Rows(), QStringList({"/talks/a.odp", "/talks/b.odp", "/talks/c.odp"}));
    EXPECT_EQ(m_messages.size(), 2u);
    EXPECT_TRUE(QFileInfo::exists(WorkingRoot() + "/a.odp0"));
}

class PreviewChoiceTest : public WindowTest {
protected:
    // One listed package, repaired with the given members.
    void Repaired(const std::vector<std::pair<QByteArray, QByteArray>>& members) {
        SelectFiles({WritePackage("shown.odp", members)});
        ASSERT_TRUE(RunJob([this] { m_view->OnRepairFiles(); }));
        ASSERT_EQ(m_view->FileModel()->ItemData(0), 1);
    }
};

TEST_F(PreviewChoiceTest, NotRepairedYet) {
    CreateWindow();
    SelectFiles({Tmp("never.odp")});
    EXPECT_EQ(m_view->OnShowPreview(0), 0);
    EXPECT_EQ(m_view->PictureBox()->State(), PB_NOT_REPAIRED);
    EXPECT_EQ(m_view->OnShowPreview(-1), 1);
}

TEST_F(PreviewChoiceTest, ThumbnailIsPreferred) {
    CreateWindow();
    Repaired({{"content.xml", "<x/>"},
              {"Pictures/1.png", PngOf(Qt::blue)},
              {"Thumbnails/thumbnail.png", PngOf(Qt::red)}});
    EXPECT_EQ(m_view->OnShowPreview(0), 1);
    EXPECT_EQ(m_view->PictureBox()->State(), PB_PICTURE);
    ASSERT_TRUE(m_view->PictureBox()->HasPicture());
    EXPECT_EQ(CentreColor(m_view->PictureBox()), QColor(Qt::red));
}

TEST_F(PreviewChoiceTest, FirstPictureInASubFolderWithUpperCaseExtension) {
    CreateWindow();
    Repaired({{"content.xml", "<x/>"}, {"Pictures/a.PNG", PngOf(Qt::green)}});
    EXPECT_EQ(m_view->OnShowPreview(0), 1);
    ASSERT_TRUE(m_view->PictureBox()->HasPicture());
    EXPECT_EQ(CentreColor(m_view->PictureBox()), QColor(Qt::green));
}

TEST_F(PreviewChoiceTest, NoPicture) {
    CreateWindow();
    Repaired({{"content.xml", "<x/>"}, {"styles.xml", "<y/>"}, {"picture", "not one"}});
    EXPECT_EQ(m_view->OnShowPreview(0), 0);
    EXPECT_EQ(m_view->PictureBox()->State(), PB_NO_IMAGE);
    EXPECT_FALSE(m_view->PictureBox()->HasPicture());
}

TEST_F(PreviewChoiceTest, ACutThumbnailGivesTheNextPicture) {
    CreateWindow();
    const QByteArray red = PngOf(Qt::red, 64), green = PngOf(Qt::green, 64);
    // A thumbnail and a first picture cut short, as a damaged package leaves them.
    Repaired({{"content.xml", "<x/>"},
              {"Pictures/a.png", green.left(green.size() / 2)},
              {"Pictures/b.png", PngOf(Qt::blue)},
              {"Thumbnails/thumbnail.png", red.left(red.size() / 2)}});
    EXPECT_EQ(m_view->OnShowPreview(0), 1);
    EXPECT_EQ(m_view->PictureBox()->State(), PB_PICTURE);
    ASSERT_TRUE(m_view->PictureBox()->HasPicture());
    EXPECT_EQ(CentreColor(m_view->PictureBox()), QColor(Qt::blue));
}

TEST_F(PreviewChoiceTest, NoImageOnlyWhenNoCandidateDecodes) {
    CreateWindow();
    Repaired({{"content.xml", "<x/>"},
              {"Pictures/a.png", PngOf(Qt::green).left(30)},
              {"Pictures/b.jpg", "not a picture at all"},
              {"Thumbnails/thumbnail.png", PngOf(Qt::red).left(30)}});
    EXPECT_EQ(m_view->OnShowPreview(0), 0);
    EXPECT_EQ(m_view->PictureBox()->State(), PB_NO_IMAGE);
    EXPECT_FALSE(m_view->PictureBox()->HasPicture());
    EXPECT_FALSE(m_view->PictureBox()->HasUndecodablePicture()) << "the message shows";
}

TEST_F(PreviewChoiceTest, ClickingARowShowsItsPreview) {
    CreateWindow();
    Repaired({{"content.xml", "<x/>"}, {"Thumbnails/thumbnail.png", PngOf(Qt::red)}});
    EXPECT_EQ(m_view->PictureBox()->State(), PB_SELECT_TO_PREVIEW);
    CKeldListCtrl* list = m_view->FileList();
    const QRect row = list->visualRect(m_view->FileModel()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    EXPECT_EQ(m_view->PictureBox()->State(), PB_PICTURE);
    EXPECT_TRUE(m_view->PictureBox()->HasPicture());
}

}  // namespace
