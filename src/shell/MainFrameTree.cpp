// The main window's frame tree beyond the labels: thumbnails and delays, commands on
// several selected frames, dragging frames to another place, and the timing commands.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <optional>

#include "dialogs/FrameTimingDialog.h"
#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "document/DocumentEdit.h"
#include "document/FrameOrder.h"
#include "document/FrameTiming.h"
#include "shell/CommandIds.h"
#include "shell/FrameThumbnails.h"
#include "shell/FrameTreeDelegate.h"
#include "shell/FrameTreeModel.h"
#include "shell/FrameTreeView.h"
#include "shell/ImagePane.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"

namespace {

// Marks a clipboard filled by Copy of several frames.
constexpr const char* kCopiedFramesType = "application/x-velmora-copied-frames";

std::vector<size_t> AllFrames(const AnimationDocument& doc) {
    std::vector<size_t> positions;
    size_t k = 0;
    for (const FrameRecord* f = doc.firstFrame; f; f = f->next) positions.push_back(k++);
    return positions;
}

FrameRecord* FrameAt(const AnimationDocument& doc, size_t position) {
    FrameRecord* f = doc.firstFrame;
    for (size_t k = 0; k < position && f; ++k) f = f->next;
    return f;
}

}  // namespace

void MainWindow::setUpFrameTree() {
    const int size = int(settings_.thumbnailSize);
    thumbnails_ = new FrameThumbnails(*document_, size);
    model_->setThumbnails(thumbnails_);
    tree_->setItemDelegate(new FrameTreeDelegate(size, tree_));
    tree_->setIconSize(QSize(size, size));
    // Every row is a thumbnail high: the view need not measure a thousand of them.
    tree_->setUniformRowHeights(true);
    connect(thumbnails_, &FrameThumbnails::changed, tree_->viewport(),
            qOverload<>(&QWidget::update));
    if (auto* view = qobject_cast<FrameTreeView*>(tree_)) {
        connect(view, &FrameTreeView::framesDropped, this,
                [this](const QModelIndex& target, DropPlace place, bool copy) {
                    onFramesDropped(target, int(place), copy);
                });
    }
}

void MainWindow::buildFrameTreeCommands() {
    using K = QKeySequence;
    makeAction(kCmdSelectAll, "Select &All\tCtrl+A", {K("Ctrl+A")})
        ->setStatusTip(QStringLiteral("Selects every entry of the list (Ctrl+A)"));
    makeAction(kCmdReverseFrames, "Reverse Frames")
        ->setStatusTip(QStringLiteral("Reverses the order of the selected images (or of all)"));
    makeAction(kCmdYoyo, "Yo-yo")
        ->setStatusTip(
            QStringLiteral("Appends the selected images (or all) backwards, without the ends"));
    makeAction(kCmdSetDelay, "Set Delay...")
        ->setStatusTip(QStringLiteral("Gives the selected images (or all) one delay"));
    makeAction(kCmdScaleDelays, "Scale Delays...")
        ->setStatusTip(QStringLiteral("Makes the delays of the selected images (or all) longer "
                                      "or shorter by a percentage"));
    QMenu* edit = nullptr;
    for (QAction* a : menuBar()->actions()) {
        if (a->menu() && a->text() == QLatin1String("&Edit")) edit = a->menu();
    }
    if (!edit) return;
    // Select All closes the clipboard group; the frame commands form one of their own.
    const QList<QAction*> items = edit->actions();
    const int paste = int(items.indexOf(action(kCmdPaste)));
    QAction* afterPaste = paste >= 0 && paste + 1 < items.size() ? items[paste + 1] : nullptr;
    edit->insertAction(afterPaste, action(kCmdSelectAll));
    QAction* parameters = action(kCmdParameters);
    for (int id : {kCmdReverseFrames, kCmdYoyo, kCmdSetDelay, kCmdScaleDelays})
        edit->insertAction(parameters, action(id));
    edit->insertSeparator(parameters);
    connect(edit, &QMenu::aboutToShow, this, [this] {
        for (int id : {kCmdSelectAll, kCmdReverseFrames, kCmdYoyo, kCmdSetDelay, kCmdScaleDelays})
            action(id)->setEnabled(!document_->empty());
    });
}

std::vector<TreeItem*> MainWindow::selectedTreeItems() const {
    std::vector<TreeItem*> items;
    for (const QModelIndex& index : tree_->selectionModel()->selectedRows())
        if (TreeItem* item = model_->itemAt(index)) items.push_back(item);
    return items;
}

bool MainWindow::runFrameTreeCommand(int id) {
    AnimationDocument& doc = *document_;
    const bool several = FramePositions(doc, selectedTreeItems()).size() >= 2;
    switch (id) {
        case kCmdSelectAll:
            tree_->selectAll();
            return true;
        case kCmdDelete:
        case kCmdCut:
        case kCmdCopy:
        case kCmdDuplicate:
            if (!several) return false;  // one entry: as always
            break;
        case kCmdPaste:
        case kCmdPasteKey:
            return pasteCopiedFrames();
        case kCmdReverseFrames:
        case kCmdYoyo:
        case kCmdSetDelay:
        case kCmdScaleDelays:
            break;
        default:
            return false;
    }
    playback_->stop();
    if (doc.empty()) return true;
    std::vector<size_t> positions = FramePositions(doc, selectedTreeItems());
    // The frame commands act on every frame when fewer than two (one for the delays)
    // are selected.
    const size_t least = id == kCmdSetDelay || id == kCmdScaleDelays ? 1 : 2;
    if (positions.size() < least) positions = AllFrames(doc);
    const int count = int(positions.size());

    if (id == kCmdCopy || id == kCmdCut) {
        // The clipboard holds one picture: the first selected frame's.
        TreeItem* const item = doc.selectedItem;
        FrameRecord* const frame = doc.selectedFrame;
        doc.selectedFrame = FrameAt(doc, positions.front());
        doc.selectedItem = doc.EntryOfFrame(doc.selectedFrame);
        const bool copied = cmdCopy();
        doc.selectedItem = item;
        doc.selectedFrame = frame;
        if (!copied) return true;
        // The frames themselves stay here; the clipboard says whether they are still
        // what Paste should insert.
        copiedFrames_ = std::make_shared<CopiedFrames>(CopyFrames(doc, positions));
        static int copies = 0;
        copiedToken_ = QByteArray::number(quintptr(this)) + '-' + QByteArray::number(++copies);
        auto* data = new QMimeData;
        data->setImageData(QApplication::clipboard()->image());
        data->setData(QLatin1String(kCopiedFramesType), copiedToken_);
        QApplication::clipboard()->setMimeData(data);
        if (id == kCmdCopy) return true;
    }
    if (id == kCmdDelete && settings_.confirmDelete) {
        const std::string question = "Do you really want to remove the " + std::to_string(count) +
                                     " selected images from the list ?";
        if (host_.ask(question, "Confirm Removal", Buttons::YesNo, MessageIcon::Exclamation) !=
            Answer::Yes)
            return true;
    }
    std::optional<int> value;
    if (id == kCmdSetDelay) {
        FrameRecord* first = FrameAt(doc, positions.front());
        value = FrameTimingDialog::AskDelay(this, first ? int(first->delay) : 10, count);
        if (!value) return true;
    } else if (id == kCmdScaleDelays) {
        value = FrameTimingDialog::AskPercent(this, 100, count);
        if (!value) return true;
    }

    const char* name = id == kCmdDelete          ? "Delete Frames"
                       : id == kCmdCut           ? "Cut Frames"
                       : id == kCmdDuplicate     ? "Duplicate Frames"
                       : id == kCmdReverseFrames ? "Reverse Frames"
                       : id == kCmdYoyo          ? "Yo-yo"
                       : id == kCmdSetDelay      ? "Set Delay"
                                                 : "Scale Delays";
    int result = -1;
    {
        DocumentEdit edit(doc, name);
        host_.waitCursor(true);
        switch (id) {
            case kCmdDelete:
            case kCmdCut:
                result = DeleteFrames(doc, positions);
                break;
            case kCmdDuplicate:
                result = DuplicateFrames(doc, positions);
                break;
            case kCmdReverseFrames:
                result = ReverseFrames(doc, positions);
                break;
            case kCmdYoyo:
                result = YoyoFrames(doc, positions);
                break;
            case kCmdSetDelay:
                result = SetFrameDelays(doc, positions, *value);
                break;
            default:
                result = ScaleFrameDelays(doc, positions, *value);
                break;
        }
        host_.waitCursor(false);
    }
    if (result == 0) afterFrameTreeCommand();
    return true;
}

bool MainWindow::pasteCopiedFrames() {
    AnimationDocument& doc = *document_;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!copiedFrames_ || doc.empty() || !data ||
        data->data(QLatin1String(kCopiedFramesType)) != copiedToken_)
        return false;  // a picture from elsewhere: pasted as always
    const ItemKind kind = KindOfItem(doc, doc.selectedItem);
    if (kind != ItemKind::Root && kind != ItemKind::Image) return true;  // never into comments
    playback_->stop();
    int result;
    {
        DocumentEdit edit(doc, "Paste Frames");
        result = InsertFrames(doc, *copiedFrames_,
                              kind == ItemKind::Root ? doc.tree.root() : doc.selectedItem,
                              kind == ItemKind::Root ? DropPlace::Before : DropPlace::After);
    }
    // Another animation's frames would look different here: the picture comes instead.
    if (result != 0) return false;
    afterFrameTreeCommand();
    return true;
}

void MainWindow::onFramesDropped(const QModelIndex& target, int place, bool copy) {
    finishOpening();
    playback_->stop();
    AnimationDocument& doc = *document_;
    const std::vector<size_t> positions = FramePositions(doc, selectedTreeItems());
    if (positions.empty()) return;
    TreeItem* item = target.isValid() ? model_->itemAt(target) : doc.tree.root();
    int result;
    {
        DocumentEdit edit(doc, copy ? "Copy Frames" : "Move Frames");
        host_.waitCursor(true);
        result = MoveFrames(doc, positions, item, DropPlace(place), copy);
        host_.waitCursor(false);
    }
    if (result == 0) afterFrameTreeCommand();
    showHistoryState();
}

void MainWindow::afterFrameTreeCommand() {
    playback_->setPosition(nullptr);
    if (document_->empty()) {
        applyDocumentLoaded(false);
        action(kCmdResize)->setEnabled(false);
        statusProgress_->setText(QStringLiteral("Idle"));
        progress_->setValue(0);
        image_->showFrame(nullptr);
    } else {
        applyDocumentLoaded(true);
        retitleResize();
    }
    onSelectionChanged();
    refreshParametersWindow();
}
