#include "doclist/DocumentListModel.h"

namespace fk {

int DocumentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant DocumentListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return rows_.at(index.row());
    return {};
}

QVariant DocumentListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole) return header_;
    return {};
}

Qt::ItemFlags DocumentListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool DocumentListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::EditRole) return false;
    rows_[index.row()] = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole});
    return true;
}

bool DocumentListModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rows_.size()) return false;
    beginRemoveRows(parent, row, row + count - 1);
    rows_.remove(row, count);
    endRemoveRows();
    return true;
}

void DocumentListModel::AppendDocument(const QString& path) {
    const int row = count();
    beginInsertRows({}, row, row);
    rows_.append(path);
    endInsertRows();
}

void DocumentListModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void DocumentListModel::setColumnHeader(const QString& header) {
    header_ = header;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

}  // namespace fk
