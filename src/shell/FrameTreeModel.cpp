#include "shell/FrameTreeModel.h"

FrameTreeModel::FrameTreeModel(FrameTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
    tree_.setObserver(this);
}

FrameTreeModel::~FrameTreeModel() {
    tree_.setObserver(nullptr);
}

TreeItem* FrameTreeModel::itemAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TreeItem*>(index.internalPointer()) : nullptr;
}

QModelIndex FrameTreeModel::indexOf(TreeItem* item) const {
    if (!item) return {};
    return createIndex(item->parent() ? item->row() : 0, 0, item);
}

QModelIndex FrameTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row == 0 ? createIndex(0, 0, tree_.root()) : QModelIndex();
    TreeItem* child = itemAt(parent)->child(row);
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex FrameTreeModel::parent(const QModelIndex& child) const {
    TreeItem* item = itemAt(child);
    if (!item || !item->parent()) return {};
    return indexOf(item->parent());
}

int FrameTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return 1;  // the root entry
    if (parent.column() != 0) return 0;
    return itemAt(parent)->childCount();
}

int FrameTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FrameTreeModel::data(const QModelIndex& index, int role) const {
    TreeItem* item = itemAt(index);
    if (!item || role != Qt::DisplayRole) return {};
    // Labels hold file names and comments as bytes; show them as Latin-1.
    return QString::fromLatin1(item->text().data(), qsizetype(item->text().size()));
}

void FrameTreeModel::beginInsert(TreeItem* parent, int row) {
    beginInsertRows(indexOf(parent), row, row);
}
void FrameTreeModel::endInsert() {
    endInsertRows();
}
void FrameTreeModel::beginRemove(TreeItem* parent, int row) {
    beginRemoveRows(indexOf(parent), row, row);
}
void FrameTreeModel::endRemove() {
    endRemoveRows();
}
void FrameTreeModel::textChanged(TreeItem* item) {
    const QModelIndex i = indexOf(item);
    emit dataChanged(i, i);
}
void FrameTreeModel::beginReset() {
    beginResetModel();
}
void FrameTreeModel::endReset() {
    endResetModel();
}
void FrameTreeModel::selectRequested(TreeItem* item) {
    emit selectIndexRequested(indexOf(item));
}
void FrameTreeModel::ensureVisible(TreeItem* item) {
    emit ensureIndexVisible(indexOf(item));
}
