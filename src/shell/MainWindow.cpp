#include "shell/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "dialogs/AviLoadDialog.h"
#include "dialogs/ParametersWindow.h"
#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "import/LoadGif.h"
#include "shell/CommandIds.h"
#include "shell/CrashRecovery.h"
#include "shell/FrameThumbnails.h"
#include "shell/FrameTreeModel.h"
#include "shell/FrameTreeView.h"
#include "shell/ImagePane.h"
#include "shell/Playback.h"
#include "shell/ScreenPlacement.h"
#include "shell/ToolbarIcons.h"

namespace {

QString Latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

// Status-bar hints, shown in part 0 while a menu item is highlighted.
const QMap<int, QString>& CommandHints() {
    static const QMap<int, QString> hints = {
        {kCmdOpen, "Opens an existing document (Ctrl+O)"},
        {kCmdSave, "Saves the animation to its file (Ctrl+S)"},
        {kCmdSaveAs, "Saves the animation under a new name (Ctrl+Shift+S)"},
        {kCmdUndo, "Takes back the last change (Ctrl+Z)"},
        {kCmdRedo, "Makes the change taken back again (Ctrl+Y)"},
        {kCmdNew, "Closes the animation and starts a new one (Ctrl+N)"},
        {kCmdExportImage, "Saves the selected image as a GIF or JPEG file"},
        {kCmdExportAll, "Saves every image under numbered file names"},
        {kCmdExit, "Quits Velmora (Alt+X)"},
        {kCmdCopy, "Copies the selected image to the clipboard (Ctrl+C)"},
        {kCmdPaste, "Inserts the picture on the clipboard as a new image (Ctrl+V)"},
        {kCmdParameters, "Shows or hides the parameters window"},
        {kCmdDelete, "Removes the selected entry from the list (Del)"},
        {kCmdDuplicate, "Inserts a copy of the selected image behind it (Ctrl+D)"},
        {kCmdCut, "Copies the selected image to the clipboard and removes it (Ctrl+X)"},
        {kCmdInsertEffect, "Inserts images made by an effect on the selected image (Ctrl+E)"},
        {kCmdInsertTransition,
         "Inserts images leading from the selected image to the next (Ctrl+T)"},
        {kCmdResize, "Changes the size of the images"},
        {kCmdUnOptimize, "Turns every image back into a full, opaque image"},
        {kCmdOptimize, "Makes the animation smaller without changing what it shows"},
        {kCmdRemoveDuplicates,
         "Merges every image that shows the same picture as the one before into that one"},
        {kCmdHelpContents, "Shows the contents of the help (F1)"},
        {kCmdHelpSearch, "Searches the help for a topic"},
        {kCmdHelpOnHelp, "Explains how to use the help"},
        {kCmdAbout, "Shows the program version"},
        {kCmdGotoFirst, "Selects the first image"},
        {kCmdStartAnimation, "Starts or stops playing the animation (Ctrl+P)"},
        {kCmdStopAnimation, "Stops playing the animation"},
        {kCmdGotoLast, "Selects the last image"},
        {kCmdOptions, "Changes the program options"},
        {kCmdBannerText, "Makes a scrolling text animation (Ctrl+B)"},
        {kCmdKeyBindings, "Lists the keyboard shortcuts"},
        {kCmdComment, "Edits the comments of the animation or of an image"},
    };
    return hints;
}

}  // namespace

// The resources live in the editor's static library; they must be registered by hand.
static void InitResources() {
    Q_INIT_RESOURCE(velmora);
}

MainWindow::MainWindow(QSettings* store) {
    InitResources();
    if (store) {
        store_ = store;
    } else {
        // A private store so that nothing of the user's is read or written.
        ownStore_ = std::make_unique<QSettings>(
            QDir::temp().filePath(QStringLiteral("velmora-private-%1.ini").arg(quintptr(this))),
            QSettings::IniFormat);
        ownStore_->clear();
        store_ = ownStore_.get();
    }
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    settings_ = SettingsStore::Load(*store_, screen.width(), screen.height());
    recent_ = RecentFiles(settings_.history);

    document_ = std::make_unique<AnimationDocument>(host_);
    // The editor holds every frame's indexes besides the composed pictures: a smaller
    // cache keeps a long full-HD animation under 2 GiB.
    document_->composedCache.setBudget(int64_t(512) << 20);
    applyEngineSettings();
    playback_ = new Playback(*document_, this);
    recovery_ = new CrashRecovery(*document_, int(settings_.recoverySeconds), QString(), this);

    setObjectName(QStringLiteral("VelmoraMain"));
    setAcceptDrops(true);

    model_ = new FrameTreeModel(document_->tree, this);
    tree_ = new FrameTreeView;
    tree_->setObjectName(QStringLiteral("frameTree"));
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    setUpFrameTree();
    effectButton_ = new QPushButton(QStringLiteral("Effect/Transition"));
    image_ = new ImagePane(*document_);

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(10, 10, 0, 10);
    leftLayout->setSpacing(0);
    leftLayout->addWidget(tree_, 1);
    leftLayout->addWidget(effectButton_);
    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 10, 0);
    layout->addWidget(left, 1);
    layout->addWidget(image_, 2);
    setCentralWidget(central);

    statusItem_ = new QLabel(QStringLiteral("Velmora"));
    statusProgress_ = new QLabel(QStringLiteral("Idle"));
    progress_ = new QProgressBar;
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    statusBar()->addWidget(statusItem_, 2);
    statusBar()->addWidget(statusProgress_, 1);
    statusBar()->addPermanentWidget(progress_, 1);
    host_.attach(this, statusProgress_, progress_);
    // A frame whose reduction ends may be the one the parameters window shows.
    host_.setFrameReducedHandler([this] {
        if (parameters_) parameters_->ShowFrameAgain();
    });

    buildActions();
    buildMenus();
    buildToolbar();
    buildContextMenu();
    buildFrameTreeCommands();
    buildViewing();

    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::onSelectionChanged);
    connect(tree_, &QTreeView::customContextMenuRequested, this, &MainWindow::onTreeContextMenu);
    connect(tree_, &QTreeView::activated, this, &MainWindow::onTreeActivated);
    connect(effectButton_, &QPushButton::clicked, this,
            [this] { runCommand(kCmdEffectTransition); });
    connect(model_, &FrameTreeModel::selectIndexRequested, this,
            [this](const QModelIndex& index) { tree_->setCurrentIndex(index); });
    connect(model_, &FrameTreeModel::ensureIndexVisible, this, [this](const QModelIndex& index) {
        tree_->expand(index.parent());
        tree_->scrollTo(index);
    });
    connect(model_, &QAbstractItemModel::rowsInserted, tree_,
            [this](const QModelIndex& parent) { tree_->expand(parent); });
    connect(model_, &QAbstractItemModel::modelReset, tree_, [this] { tree_->expandAll(); });
    connect(playback_, &Playback::selectEntry, this, [this](TreeItem* item) { selectEntry(item); });
    // Paste follows the clipboard, whoever put the picture there.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &MainWindow::updatePasteEnabling);
    connect(playback_, &Playback::playingChanged, this, [this](bool playing) {
        toolbarStart_->setIcon(ToolbarIcon(playing ? 6 : 5));
        action(kCmdStopAnimation)->setEnabled(playing);
    });

    tree_->expandAll();
    applyDocumentLoaded(false);
    restorePlacement();
    selectEntry(document_->tree.root());
    showHistoryState();
}

MainWindow::~MainWindow() {
    playback_->stop();
    opening_.reset();  // the images not read yet stay out
    // Frame jobs report to the status bar: stop them before the widgets go.
    document_->StopAllJobs();
    // The tree's view goes before the tree it shows.
    tree_->setModel(nullptr);
    delete model_;
    model_ = nullptr;
    delete thumbnails_;  // its jobs end before the document goes
    thumbnails_ = nullptr;
    document_.reset();
    host_.detach();
    if (ownStore_) QFile::remove(ownStore_->fileName());
}

QString MainWindow::SamplePath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString path = QDir(dir).filePath(QStringLiteral("Velmora sample.gif"));
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(":/sample.gif"), path)) return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

int MainWindow::openSample() {
    // A private copy that goes as soon as it has been read: the document is untitled.
    QTemporaryDir dir;
    if (!dir.isValid()) return kImportFailed;
    const QString path = dir.filePath(QStringLiteral("Velmora sample.gif"));
    if (!QFile::copy(QStringLiteral(":/sample.gif"), path)) return kImportFailed;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    playback_->stop();
    finishOpening();
    const bool wasEmpty = document_->empty();
    const int result = OpenFileByType(*document_, path.toLocal8Bit().toStdString(),
                                      DispatchVariant::Open, AviLoadDialog::ImportOptions(this));
    if (result == kImportOk) afterLoad(QString(), wasEmpty, false);
    showHistoryState();
    return result;
}

void MainWindow::applyEngineSettings() {
    document_->settings.keepTrueColorInfo = settings_.keepTrueColorInfo != 0;
    document_->settings.gifCompression = settings_.gifCompression;
    document_->settings.lossy = int(settings_.gifLossy);
    document_->settings.palette =
        settings_.colourReduction ? PaletteKind::Quality : PaletteKind::Exact;
    document_->settings.dither = int(settings_.dither);
    document_->settings.sharedPalette = settings_.sharedPalette != 0;
    document_->settings.jpegCompression = int(settings_.jpegCompression);
    document_->settings.reloadAfterSave = settings_.reloadAfterSave != 0;
    document_->history.setLimits({settings_.undoSteps, int64_t(settings_.undoMemoryMiB) << 20});
}

QString MainWindow::statusText(int part) const {
    return part == 0 ? statusItem_->text() : statusProgress_->text();
}

QAction* MainWindow::makeAction(int id, const QString& label, const QList<QKeySequence>& keys) {
    // The label's "\t..." part names the keys; Qt shows them from the shortcuts.
    auto* a = new QAction(label.section(QLatin1Char('\t'), 0, 0), this);
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    a->setStatusTip(CommandHints().value(id));
    a->setData(id);
    connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
    actions_.insert(id, a);
    addAction(a);
    return a;
}

void MainWindow::buildActions() {
    using K = QKeySequence;
    makeAction(kCmdOpen, "&Open...\tCtrl+O", {K("Ctrl+O"), K("F3")});
    makeAction(kCmdSave, "&Save\tCtrl+S", {K("Ctrl+S")});
    makeAction(kCmdSaveAs, "Save &As ...\tCtrl+Shift+S", {K("Ctrl+Shift+S"), K("F2"), K("F12")});
    makeAction(kCmdUndo, "&Undo\tCtrl+Z", {K("Ctrl+Z")});
    makeAction(kCmdRedo, "&Redo\tCtrl+Y", {K("Ctrl+Y"), K("Ctrl+Shift+Z")});
    makeAction(kCmdNew, "&New\tCtrl+N", {K("Ctrl+N")});
    makeAction(kCmdExportImage, "&Export Image ...");
    makeAction(kCmdExportAll, "Ex&port All Images ...");
    makeAction(kCmdExit, "E&xit\tAlt+X", {K("Alt+X")});
    makeAction(kCmdCopy, "&Copy\tCtrl+C", {K("Ctrl+C"), K("Ctrl+Insert")});
    makeAction(kCmdPaste, "&Paste\tCtrl+V", {K("Ctrl+V")});
    makeAction(kCmdParameters, "&Parameters ...")->setCheckable(true);
    makeAction(kCmdDelete, "De&lete\tDel", {K(Qt::Key_Delete)});
    makeAction(kCmdDuplicate, "&Duplicate\tCtrl+D", {K("Ctrl+D")});
    makeAction(kCmdCut, "Cu&t\tCtrl+X", {K("Ctrl+X")});
    makeAction(kCmdInsertEffect, "Insert &Effect ...\tCtrl+E", {K("Ctrl+E")});
    makeAction(kCmdInsertTransition, "Insert &Transition ...\tCtrl+T", {K("Ctrl+T")});
    makeAction(kCmdResize, "&Resize ...");
    makeAction(kCmdUnOptimize, "&UnOptimize Images");
    makeAction(kCmdOptimize, "&Optimize Images");
    makeAction(kCmdRemoveDuplicates, "Remove Duplicate &Frames");
    makeAction(kCmdHelpContents, "&Contents\tF1", {K(Qt::Key_F1)});
    makeAction(kCmdHelpSearch, "&Search For Help On...");
    makeAction(kCmdHelpOnHelp, "&How To Use Help");
    makeAction(kCmdAbout, "&About...");
    makeAction(kCmdGotoFirst, "Goto &First Image");
    makeAction(kCmdStartAnimation, "Start &Animation\tCtrl+P", {K("Ctrl+P")});
    makeAction(kCmdStopAnimation, "&Stop Animation");
    makeAction(kCmdGotoLast, "Goto &Last Image");
    makeAction(kCmdOptions, "&Options ...");
    makeAction(kCmdBannerText, "&Banner Text ...", {K("Ctrl+B")});
    makeAction(kCmdKeyBindings, "&Key Bindings");
    makeAction(kCmdComment, "&Comment ...");
    for (int k = 0; k < RecentFiles::kMaxEntries; ++k) {
        QAction* a = makeAction(kCmdRecentFirst + k, QString(),
                                {QKeySequence(QStringLiteral("Alt+%1").arg(k + 1))});
        recentActions_.append(a);
    }
}

void MainWindow::buildMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    for (int id : {kCmdNew, kCmdOpen, kCmdSave, kCmdSaveAs}) fileMenu_->addAction(action(id));
    fileMenu_->addSeparator();
    fileMenu_->addAction(action(kCmdExportImage));
    fileMenu_->addAction(action(kCmdExportAll));
    fileMenu_->addSeparator();
    fileMenu_->addAction(action(kCmdExit));
    rebuildRecentMenu();

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    for (int id : {kCmdUndo, kCmdRedo}) edit->addAction(action(id));
    edit->addSeparator();
    for (int id : {kCmdCut, kCmdCopy, kCmdPaste}) edit->addAction(action(id));
    edit->addSeparator();
    for (int id : {kCmdDelete, kCmdDuplicate, kCmdComment}) edit->addAction(action(id));
    edit->addSeparator();
    for (int id : {kCmdParameters, kCmdResize, kCmdOptimize, kCmdUnOptimize, kCmdRemoveDuplicates})
        edit->addAction(action(id));
    edit->addSeparator();
    edit->addAction(action(kCmdOptions));
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::updatePasteEnabling);

    QMenu* insert = menuBar()->addMenu(QStringLiteral("&Insert"));
    for (int id : {kCmdInsertEffect, kCmdInsertTransition, kCmdBannerText})
        insert->addAction(action(id));
    connect(insert, &QMenu::aboutToShow, this, &MainWindow::updateTransitionEnabling);

    QMenu* animation = menuBar()->addMenu(QStringLiteral("&Animation"));
    for (int id : {kCmdStartAnimation, kCmdStopAnimation, kCmdGotoFirst, kCmdGotoLast}) {
        animation->addAction(action(id));
    }

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    for (int id : {kCmdHelpContents, kCmdHelpSearch, kCmdHelpOnHelp, kCmdKeyBindings})
        help->addAction(action(id));
    help->addSeparator();
    help->addAction(action(kCmdAbout));
}

void MainWindow::buildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(18, 17));
    // Toolbar buttons have actions of their own, so that their enabling can differ from
    // the menu's where the rules say so.
    auto button = [&](int id, int image) {
        auto* a =
            new QAction(ToolbarIcon(image), action(id)->text().remove(QLatin1Char('&')), this);
        a->setToolTip(CommandHints().value(id));
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
        bar->addAction(a);
        return a;
    };
    button(kCmdOpen, 0);
    toolbarSaveAs_ = button(kCmdSaveAs, 1);
    bar->addSeparator();
    toolbarUndo_ = button(kCmdUndo, 11);
    toolbarRedo_ = button(kCmdRedo, 12);
    bar->addSeparator();
    toolbarCopy_ = button(kCmdCopy, 2);
    bar->addSeparator();
    toolbarInsertEffect_ = button(kCmdInsertEffect, 3);
    toolbarInsertTransition_ = button(kCmdInsertTransition, 9);
    bar->addSeparator();
    button(kCmdBannerText, 10);
    bar->addSeparator();
    button(kCmdHelpContents, 4);
    bar->addSeparator();
    button(kCmdGotoFirst, 7);
    toolbarStart_ = button(kCmdStartAnimation, 5);
    button(kCmdGotoLast, 8);
}

void MainWindow::buildContextMenu() {
    contextMenu_ = new QMenu(this);
    auto item = [&](int id, const QString& label) {
        QAction* a = contextMenu_->addAction(label.section(QLatin1Char('\t'), 0, 0));
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
        return a;
    };
    item(kCmdCut, "Cu&t\tCtrl+X");
    item(kCmdCopy, "&Copy\tCtrl+C");
    item(kCmdPaste, "&Paste\tCtrl+V");
    contextMenu_->addSeparator();
    item(kCmdDelete, "&Delete\tDel");
    item(kCmdDuplicate, "D&uplicate\tCtrl+D");
    contextMenu_->addSeparator();
    item(kCmdInsertEffect, "Insert &Effect\tCtrl+E");
    item(kCmdInsertTransition, "Insert T&ransition\tCtrl+T");
    item(kCmdComment, "Comment");
    contextMenu_->addSeparator();
    item(kCmdOpen, "&Import Image\tCtrl+O");
    item(kCmdExportImage, "E&xport Image...");
}

void MainWindow::restorePlacement() {
    const WindowPlacement& p = settings_.winRect;
    const QRect normal(QPoint(p.left(), p.top()), QPoint(p.right() - 1, p.bottom() - 1));
    if (normal.width() >= 200 && normal.height() >= 150)
        setGeometry(ClampToScreen(normal));
    else
        setGeometry(ClampToScreen(QRect(QPoint(0, 0), QSize(900, 600))));
    if (p.showState() == 3) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::rebuildRecentMenu() {
    for (QAction* a : recentActions_) fileMenu_->removeAction(a);
    if (recentSeparator_) {
        fileMenu_->removeAction(recentSeparator_);
        recentSeparator_ = nullptr;
    }
    const QStringList& entries = recent_.entries();
    if (entries.isEmpty()) return;
    recentSeparator_ = fileMenu_->addSeparator();
    for (int k = 0; k < entries.size(); ++k) {
        QAction* a = recentActions_[k];
        a->setText(recent_.label(k).section(QLatin1Char('\t'), 0, 0));
        fileMenu_->addAction(a);
    }
    settings_.history = entries;
}

void MainWindow::applyDocumentLoaded(bool loaded) {
    for (int id :
         {kCmdNew, kCmdSave, kCmdSaveAs, kCmdExportImage, kCmdExportAll, kCmdCopy, kCmdCut,
          kCmdDelete, kCmdDuplicate, kCmdInsertEffect, kCmdOptimize, kCmdUnOptimize,
          kCmdRemoveDuplicates, kCmdStartAnimation, kCmdGotoFirst, kCmdGotoLast, kCmdComment}) {
        action(id)->setEnabled(loaded);
    }
    updatePasteEnabling();
    FrameRecord* selected = document_->selectedFrame;
    action(kCmdInsertTransition)->setEnabled(loaded && selected && selected->next);
    if (loaded && !selected) action(kCmdInsertEffect)->setEnabled(false);
    for (QAction* a : {toolbarInsertEffect_, toolbarSaveAs_, toolbarCopy_, toolbarStart_})
        a->setEnabled(loaded);
    toolbarInsertTransition_->setEnabled(action(kCmdInsertTransition)->isEnabled());
    action(kCmdStopAnimation)->setEnabled(playback_->playing());
    // An open parameters window can always be closed from the menu.
    action(kCmdParameters)->setEnabled(loaded || !parameters_.isNull());
    retitleResize();
}

void MainWindow::updatePasteEnabling() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    const bool picture = data && data->hasImage();
    // A picture goes into an empty document, before the first image (root selected) or
    // behind the selected image; never into a comment or a group entry.
    bool place = document_->empty();
    if (!place) {
        const ItemKind kind = KindOfItem(*document_, document_->selectedItem);
        place = kind == ItemKind::Root || (kind == ItemKind::Image && document_->selectedFrame);
    }
    action(kCmdPaste)->setEnabled(picture && place);
}

void MainWindow::retitleResize() {
    const int frames = document_->countFrames();
    action(kCmdResize)
        ->setText(frames > 1 ? QStringLiteral("&Resize All ...") : QStringLiteral("&Resize ..."));
    action(kCmdResize)->setEnabled(frames > 0);
}

void MainWindow::updateTransitionEnabling() {
    FrameRecord* f = document_->selectedFrame;
    if (KindOfItem(*document_, document_->selectedItem) != ItemKind::Image || !f) return;
    const bool possible = f->next && f->next->left == f->left && f->next->top == f->top &&
                          f->next->width == f->width && f->next->height == f->height;
    action(kCmdInsertTransition)->setEnabled(possible);
    toolbarInsertTransition_->setEnabled(possible);
}

void MainWindow::selectEntry(TreeItem* item) {
    const QModelIndex index = model_->indexOf(item);
    if (!index.isValid()) return;
    if (tree_->currentIndex() == index)
        onSelectionChanged();
    else
        tree_->setCurrentIndex(index);
}

void MainWindow::onSelectionChanged() {
    TreeItem* item = model_->itemAt(tree_->currentIndex());
    AnimationDocument& doc = *document_;
    if (!item) return;
    if (doc.empty()) {
        // Only the root (and possibly global comments) is left.
        doc.selectedItem = item;
        updatePasteEnabling();
        statusItem_->setText(Latin1(item->text()));
        image_->showFrame(nullptr);
        refreshParametersWindow();
        return;
    }
    doc.selectedItem = item;
    playback_->setPosition(item);
    action(kCmdComment)->setEnabled(true);
    const ItemKind kind = KindOfItem(doc, item);
    if (kind == ItemKind::Image) {
        const int position = doc.EnumGifs();
        FrameRecord* frame = doc.firstFrame;
        for (int i = 0; i < position && frame && frame->next; ++i) frame = frame->next;
        doc.selectedFrame = frame;
        image_->showFrame(frame);
        const bool successor = frame && frame->next;
        action(kCmdInsertTransition)->setEnabled(successor);
        toolbarInsertTransition_->setEnabled(successor);
        action(kCmdInsertEffect)->setEnabled(true);
        toolbarInsertEffect_->setEnabled(true);
        for (int id : {kCmdCopy, kCmdCut, kCmdDuplicate, kCmdExportImage, kCmdExportAll, kCmdDelete,
                       kCmdOptimize, kCmdUnOptimize}) {
            action(id)->setEnabled(true);
        }
    } else {
        action(kCmdBannerText)->setEnabled(true);
        if (kind == ItemKind::Root) {
            for (int id : {kCmdCopy, kCmdCut, kCmdDelete, kCmdDuplicate, kCmdExportImage,
                           kCmdExportAll, kCmdInsertEffect, kCmdInsertTransition}) {
                action(id)->setEnabled(false);
            }
            toolbarInsertEffect_->setEnabled(false);
            toolbarInsertTransition_->setEnabled(false);
        } else {
            action(kCmdDelete)->setEnabled(true);
            for (int id : {kCmdExportImage, kCmdInsertEffect, kCmdInsertTransition, kCmdCut,
                           kCmdCopy, kCmdDuplicate, kCmdBannerText}) {
                action(id)->setEnabled(false);
            }
            toolbarInsertEffect_->setEnabled(false);
            toolbarInsertTransition_->setEnabled(false);
            action(kCmdExportAll)->setEnabled(true);
            action(kCmdComment)
                ->setEnabled(kind == ItemKind::FrameComment || kind == ItemKind::GlobalComment);
        }
    }
    updatePasteEnabling();
    image_->update();
    statusItem_->setText(Latin1(item->text()));
    refreshParametersWindow();
}

void MainWindow::onTreeActivated() {
    if (document_->empty()) return;
    const ItemKind kind = KindOfItem(*document_, document_->selectedItem);
    runCommand(kind == ItemKind::FrameComment || kind == ItemKind::GlobalComment ? kCmdComment
                                                                                 : kCmdParameters);
}

void MainWindow::onTreeContextMenu(const QPoint& pos) {
    const QModelIndex index = tree_->indexAt(pos);
    if (!index.isValid()) return;
    // A click into a selection of several entries keeps them for the command.
    if (tree_->selectionModel()->isSelected(index))
        tree_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    else
        tree_->setCurrentIndex(index);
    const ItemKind kind = KindOfItem(*document_, model_->itemAt(index));
    const bool picture =
        QApplication::clipboard()->mimeData() && QApplication::clipboard()->mimeData()->hasImage();
    QMap<int, QAction*> items;
    for (QAction* a : contextMenu_->actions()) {
        if (!a->isSeparator()) items.insert(a->data().toInt(), a);
    }
    if (kind == ItemKind::Image && document_->selectedFrame) {
        for (int id : {kCmdCut, kCmdCopy, kCmdDuplicate, kCmdInsertEffect, kCmdOpen,
                       kCmdExportImage, kCmdDelete, kCmdComment}) {
            items[id]->setEnabled(true);
        }
        items[kCmdPaste]->setEnabled(picture);
        items[kCmdInsertTransition]->setEnabled(document_->selectedFrame->next != nullptr);
    } else if (kind == ItemKind::FrameComment) {
        for (int id : {kCmdCut, kCmdCopy, kCmdPaste, kCmdDuplicate, kCmdInsertTransition,
                       kCmdInsertEffect, kCmdOpen, kCmdExportImage}) {
            items[id]->setEnabled(false);
        }
        items[kCmdDelete]->setEnabled(true);
        items[kCmdComment]->setEnabled(true);
    } else {
        return;  // other entries have no menu
    }
    contextMenu_->popup(tree_->viewport()->mapToGlobal(pos));
}

void MainWindow::layoutImagePane() {
    image_->update();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutImagePane();
}

void MainWindow::afterLoad(const QString& path, bool documentWasEmpty, bool setPathSave) {
    if (documentWasEmpty) {
        // A new document: nothing to undo, and Save writes back only to a GIF.
        document_->history.clear(true);
        const bool gif =
            QFileInfo(path).suffix().compare(QStringLiteral("gif"), Qt::CaseInsensitive) == 0;
        documentPath_ = gif ? path : QString();
    }
    // An untitled document (no path) leaves the folders and the recent files alone.
    if (!path.isEmpty()) {
        settings_.path = path;
        if (setPathSave && documentWasEmpty) settings_.pathSave = path;
        recent_.Add(path);
        rebuildRecentMenu();
    }
    SyncGroupTables(*document_);
    applyDocumentLoaded(true);
    action(kCmdParameters)->setEnabled(true);
    retitleResize();
    onSelectionChanged();
    if (parameters_) parameters_->show();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    dropFiles(event->mimeData()->urls());
}

void MainWindow::dropFiles(const QList<QUrl>& urls) {
    playback_->stop();
    finishOpening();
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        const bool wasEmpty = document_->empty();
        const int result =
            OpenFileByType(*document_, path.toLocal8Bit().toStdString(), DispatchVariant::DragDrop,
                           AviLoadDialog::ImportOptions(this));
        if (result == kImportOk) {
            afterLoad(path, wasEmpty, false);
            continue;
        }
        if (result == kImportUnknownType) {
            host_.message(InvalidFormatMessage(DispatchVariant::DragDrop,
                                               FileExtensionOf(path.toLocal8Bit().toStdString())),
                          "Drag & Drop  Error", MessageIcon::Exclamation);
        } else if (result != kImportCancelled) {
            host_.message("Some Error occured while Drag/Drop operation", "Drag & Drop  Error",
                          MessageIcon::Exclamation);
        }
        break;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    playback_->stop();
    // Unchanged, the rest of a file still coming in is not needed; changed, it may be saved.
    if (!document_->modified()) opening_.reset();
    finishOpening();
    if (document_->modified() && !document_->empty()) {
        const Answer answer =
            host_.ask("Do you want to save the current animation before closing it ?",
                      "Confirm Exit", Buttons::YesNoCancel, MessageIcon::Exclamation);
        if (answer == Answer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == Answer::Yes && !cmdSaveAs(0)) {
            // A cancelled or failed save keeps the window open with the animation.
            event->ignore();
            return;
        }
    }
    // Placement of the normal window as eleven fields.
    WindowPlacement& p = settings_.winRect;
    const QRect g = normalGeometry();
    p.fields = {
        44, 0, isMaximized() ? 3 : 1, 0, 0, 0, 0, g.left(), g.top(), g.right() + 1, g.bottom() + 1};
    // The options are kept in settings_ (the engine gets copies): nothing to take back.
    settings_.history = recent_.entries();
    destroyParametersWindow();
    SettingsStore::Save(*store_, settings_);
    // Every frame job ends before the windows go.
    document_->StopAllJobs();
    recovery_->remove();  // a clean exit leaves nothing to recover
    event->accept();
}
