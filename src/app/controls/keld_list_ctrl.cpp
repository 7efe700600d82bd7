#include "app/controls/keld_list_ctrl.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

namespace {

constexpr int kColumnWidth = 900;
const QColor kRowTextBackground(255, 255, 255);
const QColor kGridLine(208, 208, 208);

// Gives every row's text a white background over the list's picture and draws
// the grid lines between rows and columns.
class KeldRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : nullptr;
        QRect textRect = opt.rect;
        if (style) textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        painter->fillRect(textRect, kRowTextBackground);

        QStyledItemDelegate::paint(painter, option, index);

        painter->save();
        painter->setPen(kGridLine);
        const QRect r = option.rect;
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }
};

}  // namespace

CKeldListCtrl::CKeldListCtrl(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    setMouseTracking(true);
    setIconSize(QSize(20, 20));
    header()->setStretchLastSection(false);
    header()->setDefaultSectionSize(kColumnWidth);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setItemDelegate(new KeldRowDelegate(this));
}

void CKeldListCtrl::setModel(QAbstractItemModel* model) {
    QTreeView::setModel(model);
    if (model && model->columnCount() > 0) header()->resizeSection(0, kColumnWidth);
}

void CKeldListCtrl::SetBackgroundPicture(const QImage& picture) {
    m_background = picture.isNull() ? QPixmap() : QPixmap::fromImage(picture);
    viewport()->update();
}

int CKeldListCtrl::SelectionMark() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

QList<int> CKeldListCtrl::SelectedRows() const {
    QList<int> rows;
    if (!selectionModel()) return rows;
    for (const QModelIndex& i : selectionModel()->selectedRows()) rows << i.row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CKeldListCtrl::paintEvent(QPaintEvent* event) {
    if (!m_background.isNull()) {
        QPainter p(viewport());
        const QRect area = event->rect();
        // The tiles stay anchored at the viewport's origin whatever part is repainted.
        const QSize tile = m_background.deviceIndependentSize().toSize();
        const QPoint offset(area.left() % tile.width(), area.top() % tile.height());
        p.drawTiledPixmap(area, m_background, offset);
    }
    QTreeView::paintEvent(event);
}

void CKeldListCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QModelIndex hit = indexAt(event->position().toPoint());
    // Away from the rows nothing more happens, not even the base's handling.
    if (!hit.isValid()) return;
    const QString text = hit.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) emit hoverText(text);
    QTreeView::mouseMoveEvent(event);
}

void CKeldListCtrl::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (hit.isValid()) emit showPreview(hit.row());
}

void CKeldListCtrl::keyPressEvent(QKeyEvent* event) {
    QTreeView::keyPressEvent(event);
    RequestPreviewAtMark();
}

void CKeldListCtrl::keyReleaseEvent(QKeyEvent* event) {
    QTreeView::keyReleaseEvent(event);
    RequestPreviewAtMark();
}

void CKeldListCtrl::RequestPreviewAtMark() {
    const int mark = SelectionMark();
    if (mark != -1) emit showPreview(mark);
}

bool CKeldListCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex hit = indexAt(help->pos());
        if (!hit.isValid()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        // The full path, however much of it the column shows.
        QToolTip::showText(help->globalPos(), hit.data(Qt::DisplayRole).toString(), viewport(),
                           visualRect(hit));
        return true;
    }
    return QTreeView::viewportEvent(event);
}
