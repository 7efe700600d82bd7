// Where the controls of the main view go, measured on the real window.

#include "app/view/view_layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>

#include "app/controls/est_progress_ctrl.h"
#include "app/controls/keld_list_ctrl.h"
#include "app/controls/picture_box.h"
#include "app/controls/prompt_edit.h"
#include "app/controls/status_pane.h"
#include "app/main_frame.h"
#include "app/view/ravel_view.h"
#include "window_fixture.h"

namespace {

struct Expected {
    const char* what;
    QRect rect;
};

QRect E(int l, int t, int r, int b) {
    return RectFromEdges(l, t, r, b);
}

class ViewLayoutTest : public WindowTest {
protected:
    std::vector<Expected> IdleRects() const {
        return {{"file list", E(10, 113, 780, 375)},
                {"preview box", E(790, 113, 990, 375)},
                {"Select files", E(10, 80, 110, 108)},
                {"Remove files", E(115, 80, 215, 108)},
                {"Repair files", E(220, 80, 320, 108)},
                {"preview label", E(790, 95, 880, 111)},
                {"destination label", E(10, 380, 300, 406)},
                {"destination edit", E(305, 382, 720, 404)},
                {"browse", E(725, 380, 775, 406)},
                {"Save", E(780, 380, 850, 406)},
                {"Extract Media", E(855, 380, 990, 406)},
                {"Stop", E(870, 660, 930, 690)},
                {"Exit", E(935, 660, 990, 690)},
                {"hint pane", E(75, 650, 385, 695)}};
    }

    QRect Actual(const char* what) const {
        const std::string name = what;
        QWidget* w = nullptr;
        if (name == "file list") w = m_view->FileList();
        if (name == "preview box") w = m_view->PictureBox();
        if (name == "Select files") w = m_view->SelectButton();
        if (name == "Remove files") w = m_view->RemoveButton();
        if (name == "Repair files") w = m_view->RepairButton();
        if (name == "preview label") w = m_view->PreviewLabel();
        if (name == "destination label") w = m_view->DestinationLabel();
        if (name == "destination edit") w = m_view->DestinationEdit();
        if (name == "browse") w = m_view->BrowseButton();
        if (name == "Save") w = m_view->SaveButton();
        if (name == "Extract Media") w = m_view->ExtractMediaBox();
        if (name == "Stop") w = m_view->StopButton();
        if (name == "Exit") w = m_view->ExitButton();
        if (name == "hint pane") w = m_view->HintPane();
        if (name == "log pane") w = m_view->LogPane();
        if (name == "file progress label") w = m_view->FileProgressLabel();
        if (name == "file progress bar") w = m_view->FileProgressBar();
        if (name == "total progress label") w = m_view->TotalProgressLabel();
        if (name == "total progress bar") w = m_view->TotalProgressBar();
        return w ? w->geometry() : QRect();
    }

    void ExpectAll(const std::vector<Expected>& expected) {
        for (const Expected& e : expected) EXPECT_EQ(Actual(e.what), e.rect) << e.what;
    }
};

TEST_F(ViewLayoutTest, IdleLayoutAt1000x700) {
    CreateWindow(QSize(1000, 700));
    ExpectAll(IdleRects());
    EXPECT_EQ(Actual("log pane"), E(10, 411, 990, 630));
    EXPECT_TRUE(m_view->FileProgressLabel()->isHidden());
    EXPECT_TRUE(m_view->TotalProgressBar()->isHidden());
}

TEST_F(ViewLayoutTest, OddHeightRoundsTheMiddleBandDown) {
    CreateWindow(QSize(1000, 701));
    EXPECT_EQ(Actual("file list"), E(10, 113, 780, 375));
    EXPECT_EQ(Actual("preview box"), E(790, 113, 990, 375));
    EXPECT_EQ(Actual("destination edit"), E(305, 382, 720, 404));
    EXPECT_EQ(Actual("log pane"), E(10, 411, 990, 631));
    EXPECT_EQ(Actual("Stop"), E(870, 661, 930, 691));
    EXPECT_EQ(Actual("hint pane"), E(75, 651, 385, 696));
}

TEST_F(ViewLayoutTest, RepairRowsShortenTheLogAndGoAgain) {
    CreateWindow(QSize(1000, 700));
    m_view->ShowProgressGroup(kShowNormal);
    m_view->RelayoutView();
    ExpectAll(IdleRects());
    EXPECT_EQ(Actual("log pane"), E(10, 411, 990, 595));
    EXPECT_EQ(Actual("file progress label"), E(10, 600, 160, 618));
    EXPECT_EQ(Actual("file progress bar"), E(165, 600, 990, 613));
    EXPECT_EQ(Actual("total progress label"), E(10, 623, 160, 641));
    EXPECT_EQ(Actual("total progress bar"), E(165, 623, 990, 636));
    EXPECT_FALSE(m_view->FileProgressBar()->isHidden());

    m_view->ShowProgressGroup(kShowHide);
    m_view->RelayoutView();
    EXPECT_EQ(Actual("log pane"), E(10, 411, 990, 630));
}

TEST_F(ViewLayoutTest, SaveRowShowsTheTotalBarOnly) {
    CreateWindow(QSize(1000, 700));
    m_view->ShowTotalProgressOnly(kShow);
    m_view->RelayoutView();
    EXPECT_EQ(Actual("log pane"), E(10, 411, 990, 610));
    EXPECT_EQ(Actual("total progress label"), E(10, 615, 160, 633));
    EXPECT_EQ(Actual("total progress bar"), E(165, 615, 990, 628));
    EXPECT_TRUE(m_view->FileProgressLabel()->isHidden());
    EXPECT_TRUE(m_view->FileProgressBar()->isHidden());
    // At 701 the rows move with the bottom.
    ResizeView(QSize(1000, 701));
    EXPECT_EQ(Actual("log pane"), E(10, 411, 990, 611));
    EXPECT_EQ(Actual("total progress bar"), E(165, 616, 990, 629));
}

TEST_F(ViewLayoutTest, BandsAndYellowLabels) {
    CreateWindow(QSize(1000, 700));
    const QImage image = m_view->grab().toImage();
    const QColor yellow = kViewBackgroundColor;
    // The middle band is yellow between the header (72 high) and the footer (60 high).
    EXPECT_EQ(image.pixelColor(5, 72), yellow);
    EXPECT_EQ(image.pixelColor(5, 639), yellow);
    // The header and footer pictures at their natural size in the corners.
    const QImage header(":/bitmap/316.png"), footer(":/bitmap/311.png");
    ASSERT_FALSE(header.isNull());
    ASSERT_FALSE(footer.isNull());
    for (QPoint at : {QPoint(5, 5), QPoint(200, 36), QPoint(390, 70)})
        EXPECT_EQ(image.pixelColor(at), header.pixelColor(at)) << at.x() << "," << at.y();
    for (QPoint at : {QPoint(5, 5), QPoint(32, 31), QPoint(60, 58)})
        EXPECT_EQ(image.pixelColor(at + QPoint(0, 640)), footer.pixelColor(at))
            << at.x() << "," << at.y();
    // Labels and the check box sit on the same yellow, not on a dialog grey.
    const QImage label = m_view->DestinationLabel()->grab().toImage();
    EXPECT_EQ(label.pixelColor(label.width() - 2, 1), yellow);
    const QImage check = m_view->ExtractMediaBox()->grab().toImage();
    EXPECT_EQ(check.pixelColor(check.width() - 2, 1), yellow);
    const QImage preview = m_view->PreviewLabel()->grab().toImage();
    EXPECT_EQ(preview.pixelColor(preview.width() - 2, 1), yellow);
}

TEST_F(ViewLayoutTest, StartUpState) {
    CreateWindow();
    EXPECT_TRUE(m_view->SelectButton()->isEnabled());
    EXPECT_TRUE(m_view->IsSelectEnabled());
    for (QWidget* off : std::initializer_list<QWidget*>{
             m_view->RemoveButton(), m_view->RepairButton(), m_view->SaveButton(),
             m_view->BrowseButton(), m_view->ExtractMediaBox(), m_view->DestinationEdit()})
        EXPECT_FALSE(off->isEnabled()) << off->objectName().toStdString();
    EXPECT_TRUE(m_view->StopButton()->isHidden());
    EXPECT_TRUE(m_view->ExtractMediaBox()->isChecked());
    EXPECT_TRUE(m_view->DestinationEdit()->IsPromptShown());
    EXPECT_EQ(m_view->DestinationEdit()->PromptText(),
              "<Please enter valid path to save repaired impress file(s)> ");
    EXPECT_EQ(m_view->DestinationEdit()->PromptColor(), QColor(158, 158, 158));
    EXPECT_EQ(m_view->LogPane()->toPlainText(),
              "Click Select files to select .odp file(s) to repair....");
    EXPECT_EQ(m_view->PictureBox()->State(), PB_NO_FILES);
    EXPECT_EQ(m_view->FileList()->model()->headerData(0, Qt::Horizontal).toString(), "File Name");

    // The hint's bold words are exactly the ranges given for it.
    QTextEdit* hint = m_view->HintPane();
    EXPECT_EQ(hint->toPlainText(),
              "Click Select files to select .odp file(s) to repair.\n"
              "Click Repair files to see the preview of the .odp file(s).");
    QString bold;
    QTextCursor cursor(hint->document());
    for (int pos = 0; pos < hint->toPlainText().size(); ++pos) {
        cursor.setPosition(pos + 1);
        bold += cursor.charFormat().fontWeight() >= QFont::Bold ? 'B' : '.';
    }
    QString expected(hint->toPlainText().size(), '.');
    for (auto [start, end] : {std::pair{6, 18}, {29, 33}, {59, 72}, {99, 103}})
        for (int i = start; i < end; ++i) expected[i] = 'B';
    EXPECT_EQ(bold, expected);

    // Texts, images and tooltips of the buttons.
    EXPECT_EQ(m_view->SaveButton()->text(), "Save...");
    EXPECT_EQ(m_view->SaveButton()->toolTip(), "Save file(s)");
    EXPECT_EQ(m_view->BrowseButton()->text(), "...");
    EXPECT_EQ(m_view->BrowseButton()->toolTip(), "Browse folder");
    EXPECT_FALSE(m_view->RepairButton()->icon().isNull());
}

TEST_F(ViewLayoutTest, AnEarlierWorkingRootIsRemovedAtStart) {
    ASSERT_TRUE(QDir().mkpath(m_tmp->WorkingRoot() + "/old.odp0/Pictures"));
    QFile leftover(m_tmp->WorkingRoot() + "/old.odp0/Pictures/a.png");
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    CreateWindow();
    EXPECT_FALSE(QFileInfo::exists(m_tmp->WorkingRoot()));
    // The box was cleared before the folders went: no message shows.
    EXPECT_EQ(m_view->PictureBox()->State(), PB_PICTURE);
}

TEST_F(ViewLayoutTest, HoverTextsReachStatusPaneZero) {
    CreateWindow();
    SelectFiles({Tmp("one.odp")});  // enables Repair files
    auto move = [this](QWidget* target, QPoint at) {
        static ulong stamp = 1000;
        QMouseEvent event(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        event.setTimestamp(++stamp);
        QApplication::sendEvent(target, &event);
    };
    move(m_view->RepairButton(), QPoint(50, 10));
    EXPECT_EQ(m_frame->PaneText(), "Repair files");
    move(m_view, QPoint(500, 40));
    EXPECT_EQ(m_frame->PaneText(), "");
    move(m_view->DestinationLabel(), QPoint(5, 5));
    EXPECT_EQ(m_frame->PaneText(), "Please select location to save repaired file(s):");
    // A disabled control takes no mouse input: the view's empty text shows.
    move(m_view->SaveButton(), QPoint(5, 5));
    EXPECT_EQ(m_frame->PaneText(), "");
    // Over a row the list's own text wins: the row's full path.
    QWidget* rows = m_view->FileList()->viewport();
    const QRect first = m_view->FileList()->visualRect(m_view->FileList()->model()->index(0, 0));
    move(rows, first.center());
    EXPECT_EQ(m_frame->PaneText(), Tmp("one.odp"));
}

TEST_F(ViewLayoutTest, StatusPaneStaysOneLineOverALongLog) {
    CreateWindow();
    QString log;
    for (int i = 0; i < 12; ++i) log += QString("/talks/deck-%1.odp file is open....\r\n").arg(i);
    m_view->SetLogText(log);
    QStatusBar* bar = m_frame->statusBar();
    const int barHeight = bar->height();
    const QRect stop = m_view->StopButton()->geometry();
    const QRect list = m_view->FileList()->geometry();
    const QSize viewSize = m_view->size();

    QWidget* pane = m_view->LogPane()->viewport();
    QMouseEvent event(QEvent::MouseMove, QPointF(40, 20), pane->mapToGlobal(QPointF(40, 20)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    event.setTimestamp(424242);
    QApplication::sendEvent(pane, &event);
    QApplication::processEvents();

    // The log's first 259 characters, its line breaks turned to blanks.
    QString expected = m_view->LogPane()->toPlainText().left(259);
    expected.replace('\n', ' ');
    EXPECT_EQ(m_frame->PaneText(), expected);
    auto* pane0 = m_frame->findChild<CStatusPane*>("statusPane0");
    ASSERT_NE(pane0, nullptr);
    EXPECT_FALSE(pane0->ShownText().contains('\n'));
    EXPECT_TRUE(pane0->ShownText().endsWith(QChar(0x2026))) << "cut to the pane with an ellipsis";
    EXPECT_EQ(pane0->toolTip(), expected);
    EXPECT_LE(pane0->height(), pane0->fontMetrics().height() + 4);
    // Nothing above the status bar moved.
    EXPECT_EQ(bar->height(), barHeight);
    EXPECT_EQ(m_view->size(), viewSize);
    EXPECT_EQ(m_view->StopButton()->geometry(), stop);
    EXPECT_EQ(m_view->FileList()->geometry(), list);
}

}  // namespace
