#include "shell/FrameTreeView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "shell/FrameTreeModel.h"

namespace {

// Frames dragged from this very tree (another window's carry another token).
bool CarriesFrames(const QMimeData* data, const QAbstractItemModel* model) {
    const auto* frames = qobject_cast<const FrameTreeModel*>(model);
    return data && frames &&
           data->data(QLatin1String(FrameTreeModel::kFramesMimeType)) == frames->dragToken();
}

// Ctrl held at the drop copies; platforms differ in the action they propose otherwise.
bool WantsCopy(const QDropEvent* event) {
    return event->modifiers().testFlag(Qt::ControlModifier);
}

}  // namespace

FrameTreeView::FrameTreeView(QWidget* parent) : QTreeView(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

QItemSelectionModel::SelectionFlags FrameTreeView::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const {
    if (!event) return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return QTreeView::selectionCommand(index, event);
}

void FrameTreeView::dragEnterEvent(QDragEnterEvent* event) {
    // Files dropped on the tree are the window's business.
    if (!CarriesFrames(event->mimeData(), model())) {
        event->ignore();
        return;
    }
    QTreeView::dragEnterEvent(event);
}

void FrameTreeView::dragMoveEvent(QDragMoveEvent* event) {
    if (!CarriesFrames(event->mimeData(), model())) {
        event->ignore();
        return;
    }
    QTreeView::dragMoveEvent(event);
    event->setDropAction(WantsCopy(event) ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void FrameTreeView::dropEvent(QDropEvent* event) {
    if (!CarriesFrames(event->mimeData(), model())) {
        event->ignore();
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    const DropIndicatorPosition where = dropIndicatorPosition();
    const bool copy = WantsCopy(event);
    // Above an entry: in front of it; below it, on it or past the last: behind it (the
    // root stands for the front when the drop is on it, for the end past the entries).
    DropPlace place = DropPlace::After;
    if (where == AboveItem || (where == OnItem && target.isValid() && !target.parent().isValid()))
        place = DropPlace::Before;
    // The view must not take rows out itself: the document does the moving.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setState(NoState);
    viewport()->update();
    emit framesDropped(where == OnViewport ? QModelIndex() : target, place, copy);
}
