#include "shell/FrameTreeModel.h"

#include <QMimeData>

#include "shell/FrameThumbnails.h"

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
    if (!item) return {};
    if (thumbnails_ && item->isFrameEntry()) {
        if (role == Qt::DecorationRole) return thumbnails_->thumbnail(item);
        if (role == kDelayRole) return thumbnails_->delayText(item);
    }
    if (role != Qt::DisplayRole) return {};
    // Labels hold file names and comments as bytes; show them as Latin-1.
    return QString::fromLatin1(item->text().data(), qsizetype(item->text().size()));
}

Qt::ItemFlags FrameTreeModel::flags(const QModelIndex& index) const {
    TreeItem* item = itemAt(index);
    if (!item) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (item->isFrameEntry()) f |= Qt::ItemIsDragEnabled;
    return f;
}

QStringList FrameTreeModel::mimeTypes() const {
    return {QString::fromLatin1(kFramesMimeType)};
}

QMimeData* FrameTreeModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kFramesMimeType), dragToken());
    return data;
}

Qt::DropActions FrameTreeModel::supportedDragActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions FrameTreeModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
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
