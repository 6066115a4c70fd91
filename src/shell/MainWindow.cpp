#include "shell/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeView>

#include "document/AnimationDocument.h"
#include "shell/FileDispatch.h"
#include "shell/FrameTreeModel.h"
#include "shell/ImagePane.h"

MainWindow::MainWindow() : document_(std::make_unique<AnimationDocument>(host_)) {
    setWindowTitle(QStringLiteral("Velmora"));
    resize(900, 600);

    model_ = new FrameTreeModel(document_->tree, this);
    tree_ = new QTreeView;
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    tree_->expandAll();
    image_ = new ImagePane(*document_);

    auto* splitter = new QSplitter;
    splitter->addWidget(tree_);
    splitter->addWidget(image_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    setCentralWidget(splitter);

    statusItem_ = new QLabel;
    statusProgress_ = new QLabel(QStringLiteral("Idle"));
    progress_ = new QProgressBar;
    progress_->setRange(0, 100);
    progress_->setMaximumWidth(160);
    statusBar()->addWidget(statusItem_, 2);
    statusBar()->addWidget(statusProgress_, 1);
    statusBar()->addPermanentWidget(progress_);
    host_.attach(this, statusProgress_, progress_);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* open = file->addAction(QStringLiteral("&Open\tCtrl+O"), this, &MainWindow::onOpen);
    open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);

    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::onSelectionChanged);
    connect(model_, &FrameTreeModel::selectIndexRequested, this,
            [this](const QModelIndex& index) { tree_->setCurrentIndex(index); });
    connect(model_, &FrameTreeModel::ensureIndexVisible, this,
            [this](const QModelIndex& index) { tree_->scrollTo(index); });
    connect(model_, &QAbstractItemModel::rowsInserted, tree_, [this] { tree_->expandAll(); });
    connect(model_, &QAbstractItemModel::modelReset, tree_, [this] { tree_->expandAll(); });
    tree_->setCurrentIndex(model_->index(0, 0));
}

MainWindow::~MainWindow() {
    // Frame jobs report to the status bar: stop them before the widgets go.
    document_->StopAllJobs();
    document_.reset();
    host_.detach();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    document_->StopAllJobs();
    event->accept();
}

void MainWindow::onSelectionChanged() {
    TreeItem* item = model_->itemAt(tree_->currentIndex());
    if (!item) return;
    AnimationDocument& doc = *document_;
    doc.selectedItem = item;
    statusItem_->setText(QString::fromLatin1(item->text().data(), qsizetype(item->text().size())));
    if (item->isFrameEntry()) {
        // The frame at the entry's position, never walking past the last frame.
        const int position = doc.EnumGifs();
        FrameRecord* frame = doc.firstFrame;
        for (int i = 0; i < position && frame && frame->next; ++i) frame = frame->next;
        doc.selectedFrame = frame;
        image_->showFrame(frame);
    }
}

void MainWindow::onOpen() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open"));
    if (!path.isEmpty()) openFile(path);
}

bool MainWindow::openFile(const QString& path) {
    return OpenFileByType(*document_, path.toLocal8Bit().toStdString()) == 0;
}
