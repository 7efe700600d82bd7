#pragma once

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QTreeView>

// The file list of the main view: a report view of full package paths with grid
// lines, full-row selection and a tiled picture behind the rows. A click on a row
// and every key press and release ask the owner to show a row's preview.
class CKeldListCtrl : public QTreeView {
    Q_OBJECT
public:
    explicit CKeldListCtrl(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // Tiled from the top left of the rows' area; a null picture removes it.
    void SetBackgroundPicture(const QImage& picture);

    // The row that holds the keyboard mark (the one last selected), or -1.
    int SelectionMark() const;
    // The selected rows, ascending.
    QList<int> SelectedRows() const;

signals:
    void showPreview(int row);
    // The text of the row under the mouse, for the status bar.
    void hoverText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void RequestPreviewAtMark();

    QPixmap m_background;
};
