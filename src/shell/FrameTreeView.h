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
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
