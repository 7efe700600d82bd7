#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <vector>

// The rows of the file list: one column holding a package's full path, and per row
// an item number (1 once the package has been repaired, 0 otherwise).
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The row's item number, for views that want it through data().
    static constexpr int ItemDataRole = Qt::UserRole + 1;

    explicit FileListModel(QObject* parent = nullptr);

    // Appends a row with item number 0; returns its index.
    int AddRow(const QString& path);
    // Out-of-range rows are ignored.
    void RemoveRowAt(int row);
    void Clear();
    int Count() const { return static_cast<int>(m_rows.size()); }
    // Empty (or 0) for a row that does not exist.
    QString Path(int row) const;
    int ItemData(int row) const;
    void SetItemData(int row, int data);
    // The picture shown at the start of every row.
    void SetRowIcon(const QIcon& icon);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row {
        QString path;
        int data = 0;
    };
    bool Valid(int row) const { return row >= 0 && row < Count(); }

    std::vector<Row> m_rows;
    QIcon m_icon;
};
