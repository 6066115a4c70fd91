#pragma once

#include <QAbstractItemModel>

#include "document/FrameTree.h"

// A thin Qt view of the engine's frame tree: the tree stays the one source of truth and
// tells this model about every change.
class FrameTreeModel : public QAbstractItemModel, private FrameTreeObserver {
    Q_OBJECT
  public:
    explicit FrameTreeModel(FrameTree& tree, QObject* parent = nullptr);
    ~FrameTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

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
};
