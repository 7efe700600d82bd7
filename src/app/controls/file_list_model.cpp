#include "app/controls/file_list_model.h"

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int FileListModel::AddRow(const QString& path) {
    const int row = Count();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back({path, 0});
    endInsertRows();
    return row;
}

void FileListModel::RemoveRowAt(int row) {
    if (!Valid(row)) return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void FileListModel::Clear() {
    if (m_rows.empty()) return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

QString FileListModel::Path(int row) const {
    return Valid(row) ? m_rows[row].path : QString();
}

int FileListModel::ItemData(int row) const {
    return Valid(row) ? m_rows[row].data : 0;
}

void FileListModel::SetItemData(int row, int data) {
    if (!Valid(row) || m_rows[row].data == data) return;
    m_rows[row].data = data;
    const QModelIndex i = index(row, 0);
    emit dataChanged(i, i, {ItemDataRole});
}

void FileListModel::SetRowIcon(const QIcon& icon) {
    m_icon = icon;
    if (!m_rows.empty()) emit dataChanged(index(0, 0), index(Count() - 1, 0), {Qt::DecorationRole});
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() != 0 || !Valid(index.row())) return QVariant();
    const Row& row = m_rows[index.row()];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return row.path;
        case Qt::DecorationRole:
            return m_icon.isNull() ? QVariant() : QVariant(m_icon);
        case ItemDataRole:
            return row.data;
        default:
            return QVariant();
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return QStringLiteral("File Name");
    return QAbstractTableModel::headerData(section, orientation, role);
}
