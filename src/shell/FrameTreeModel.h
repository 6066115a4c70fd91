#pragma once

#include <QAbstractItemModel>

#include "document/FrameTree.h"

class FrameThumbnails;

// A thin Qt view of the engine's frame tree: the tree stays the one source of truth and
// tells this model about every change.
class FrameTreeModel : public QAbstractItemModel, private FrameTreeObserver {
    Q_OBJECT
  public:
    explicit FrameTreeModel(FrameTree& tree, QObject* parent = nullptr);
    ~FrameTreeModel() override;

    // The frame's delay as "0.10 s" beside image entries (the label stays as it is).
    static constexpr int kDelayRole = Qt::UserRole + 1;
    // Image entries show these thumbnails and delays (none without).
    void setThumbnails(FrameThumbnails* thumbnails) { thumbnails_ = thumbnails; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Image entries can be dragged; frames can be dropped anywhere (the view decides).
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

    // The MIME type of frames dragged inside the tree (the selection says which).
    static constexpr const char* kFramesMimeType = "application/x-velmora-frames";
    // What this model's drags carry under that type, so that a drop knows its source.
    QByteArray dragToken() const { return QByteArray::number(quintptr(this)); }

    TreeItem* itemAt(const QModelIndex& index) const;
    QModelIndex indexOf(TreeItem* item) const;

  signals:
    void selectIndexRequested(const QModelIndex& index);
    void ensureIndexVisible(const QModelIndex& index);

  private:
    void beginInsert(TreeItem* parent, int row) override;
    void endInsert() override;
    void beginRemove(TreeItem* parent, int row) override;
    void endRemove() override;
    void textChanged(TreeItem* item) override;
    void beginReset() override;
    void endReset() override;
    void selectRequested(TreeItem* item) override;
    void ensureVisible(TreeItem* item) override;

    FrameTree& tree_;
    FrameThumbnails* thumbnails_ = nullptr;
};
