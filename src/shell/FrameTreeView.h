#pragma once

#include <QTreeView>

#include "document/FrameOrder.h"

// The frame tree's view: several entries can be selected, and the selected frames can
// be dragged to another place in the tree (with Ctrl: copied). It only reports the drop;
// the main window carries it out.
class FrameTreeView : public QTreeView {
    Q_OBJECT
  public:
    explicit FrameTreeView(QWidget* parent = nullptr);

  signals:
    void framesDropped(const QModelIndex& target, DropPlace place, bool copy);

  protected:
    // Selections made by the program (a command, playback) replace the selection
    // whatever keys happen to be held; only the user's clicks and keys extend it.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
