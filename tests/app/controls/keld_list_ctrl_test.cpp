#include "app/controls/keld_list_ctrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "app/controls/file_list_model.h"

namespace {

class KeldListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.AddRow("/home/ann/Talks/one.odp");
        model.AddRow("/home/ann/Talks/two.odp");
        model.AddRow("/home/ann/Talks/three.odp");
        list.setModel(&model);
        list.resize(400, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }

    // Near the left end: the 900-pixel column runs far past the visible part.
    QPoint RowCentre(int row) {
        return QPoint(40, list.visualRect(model.index(row, 0)).center().y());
    }
    QPoint BelowLastRow() {
        const QRect last = list.visualRect(model.index(model.Count() - 1, 0));
        return QPoint(40, last.bottom() + 30);
    }
    void Move(const QPoint& at) {
        QMouseEvent move(QEvent::MouseMove, at, list.viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &move);
    }
    static QList<int> Rows(const QSignalSpy& spy) {
        QList<int> rows;
        for (const QList<QVariant>& call : spy) rows << call.at(0).toInt();
        return rows;
    }

    FileListModel model;
    CKeldListCtrl list;
};

TEST_F(KeldListCtrlTest, ReportViewWithOneWideFileNameColumn) {
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "File Name");
    EXPECT_EQ(list.header()->sectionSize(0), 900);
    EXPECT_FALSE(list.rootIsDecorated());
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(KeldListCtrlTest, ClickOnARowAsksForItsPreviewButNotBelowTheLastRow) {
    QSignalSpy spy(&list, &CKeldListCtrl::showPreview);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(1));
    EXPECT_EQ(Rows(spy), QList<int>{1});
    EXPECT_EQ(list.SelectedRows(), QList<int>{1});

    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, BelowLastRow());
    EXPECT_EQ(Rows(spy), QList<int>{1});

    QTest::mouseClick(list.viewport(), Qt::RightButton, Qt::NoModifier, RowCentre(2));
    EXPECT_EQ(Rows(spy), QList<int>{1});
}

TEST_F(KeldListCtrlTest, EveryKeyPressAndReleaseAsksForThePreviewOfTheMark) {
    QSignalSpy spy(&list, &CKeldListCtrl::showPreview);
    QTest::keyPress(&list, Qt::Key_Down);  // the key itself sets the first mark
    QTest::keyRelease(&list, Qt::Key_Down);
    const int first = list.SelectionMark();
    ASSERT_NE(first, -1);
    EXPECT_EQ(Rows(spy), (QList<int>{first, first}));

    spy.clear();
    QTest::keyPress(&list, Qt::Key_Down);
    EXPECT_EQ(Rows(spy), QList<int>{first + 1});
    QTest::keyRelease(&list, Qt::Key_Down);
    EXPECT_EQ(Rows(spy), (QList<int>{first + 1, first + 1}));
    EXPECT_EQ(list.SelectedRows(), QList<int>{first + 1});
}

TEST(KeldListCtrlEmpty, KeysWithoutAMarkAskForNothing) {
    FileListModel model;
    CKeldListCtrl list;
    list.setModel(&model);
    QSignalSpy spy(&list, &CKeldListCtrl::showPreview);
    QTest::keyPress(&list, Qt::Key_Down);
    QTest::keyRelease(&list, Qt::Key_Down);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(list.SelectionMark(), -1);
}

TEST_F(KeldListCtrlTest, SelectedRowsComeAscending) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(2));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, RowCentre(0));
    EXPECT_EQ(list.SelectedRows(), (QList<int>{0, 2}));
    EXPECT_EQ(list.SelectionMark(), 0);
}

TEST_F(KeldListCtrlTest, HoverGivesTheRowTextAndATooltipOfTheFullPath) {
    QSignalSpy hover(&list, &CKeldListCtrl::hoverText);
    Move(RowCentre(2));
    ASSERT_EQ(hover.count(), 1);
    EXPECT_EQ(hover.at(0).at(0).toString(), "/home/ann/Talks/three.odp");
    Move(BelowLastRow());
    EXPECT_EQ(hover.count(), 1);

    const QPoint at = RowCentre(0);
    QHelpEvent tip(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &tip);
    EXPECT_EQ(QToolTip::text(), "/home/ann/Talks/one.odp");
    QToolTip::hideText();
}

TEST_F(KeldListCtrlTest, RowsAreWhiteOverTheTiledPicture) {
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(QColor(10, 120, 30));
    list.SetBackgroundPicture(tile);
    list.setCurrentIndex(QModelIndex());  // the style tints the current row
    const QImage shot = list.viewport()->grab().toImage();
    const QPoint below = BelowLastRow();
    EXPECT_EQ(QColor(shot.pixel(below)), QColor(10, 120, 30));
    // Far right on each row, past the short path: the row's own white background.
    for (int row = 0; row < model.Count(); ++row)
        EXPECT_EQ(QColor(shot.pixel(list.viewport()->width() - 5, RowCentre(row).y())),
                  QColor(255, 255, 255))
            << row;
}

TEST(FileListModelRows, AddRemoveAndItemData) {
    FileListModel model;
    EXPECT_EQ(model.AddRow("/a.odp"), 0);
    EXPECT_EQ(model.AddRow("/b.odp"), 1);
    EXPECT_EQ(model.AddRow("/c.odp"), 2);
    EXPECT_EQ(model.ItemData(1), 0);
    model.SetItemData(1, 1);
    EXPECT_EQ(model.ItemData(1), 1);
    EXPECT_EQ(model.data(model.index(1, 0), FileListModel::ItemDataRole).toInt(), 1);

    model.RemoveRowAt(0);  // later rows move up, item data with them
    EXPECT_EQ(model.Count(), 2);
    EXPECT_EQ(model.Path(0), "/b.odp");
    EXPECT_EQ(model.ItemData(0), 1);
    model.RemoveRowAt(7);
    EXPECT_EQ(model.Count(), 2);
    EXPECT_EQ(model.Path(7), "");

    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::red);
    model.SetRowIcon(QIcon(pixmap));
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).value<QIcon>().isNull());
    model.Clear();
    EXPECT_EQ(model.Count(), 0);
}

}  // namespace
