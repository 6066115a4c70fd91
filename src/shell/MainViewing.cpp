// The main window's viewing controls: zoom, what lies under the mouse, playing speed.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "shell/CommandIds.h"
#include "shell/ImagePane.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"

void MainWindow::buildViewing() {
    using K = QKeySequence;
    struct Entry {
        int id;
        const char* label;
        const char* hint;
        QList<K> keys;
        void (ImagePane::*run)();
    };
    // Ctrl+= is Ctrl+plus without Shift on most keyboards.
    const Entry entries[] = {
        {kCmdZoomIn,
         "Zoom &In",
         "Shows the picture larger (Ctrl++)",
         {K(Qt::CTRL | Qt::Key_Plus), K(Qt::CTRL | Qt::Key_Equal),
          K(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))},
         &ImagePane::zoomIn},
        {kCmdZoomOut,
         "Zoom &Out",
         "Shows the picture smaller (Ctrl+-)",
         {K(Qt::CTRL | Qt::Key_Minus),
          K(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))},
         &ImagePane::zoomOut},
        {kCmdZoomFit,
         "&Fit in Window",
         "Shows the picture at its size, shrunk when the window is smaller (Ctrl+0)",
         {K(Qt::CTRL | Qt::Key_0)},
         &ImagePane::fit},
        {kCmdZoomActual,
         "&Actual Size",
         "Shows one screen pixel for each picture pixel (Ctrl+1)",
         {K(Qt::CTRL | Qt::Key_1)},
         &ImagePane::actualSize},
    };
    auto* view = new QMenu(QStringLiteral("&View"), this);
    for (const Entry& e : entries) {
        // Zooming neither stops playing nor waits for a file still coming in: these do
        // not go through runCommand.
        auto* a = new QAction(QString::fromLatin1(e.label), this);
        a->setShortcuts(e.keys);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setStatusTip(QString::fromLatin1(e.hint));
        a->setData(e.id);
        connect(a, &QAction::triggered, image_, e.run);
        actions_.insert(e.id, a);
        addAction(a);
        view->addAction(a);
    }
    // Between Edit and Insert.
    QAction* before = nullptr;
    for (QAction* m : menuBar()->actions()) {
        if (m->text() == QLatin1String("&Insert")) before = m;
    }
    menuBar()->insertMenu(before, view);

    // Status bar: the zoom, and the pixel under the mouse, left of the progress bar.
    statusPixel_ = new QLabel;
    statusPixel_->setObjectName(QStringLiteral("pixelStatus"));
    statusPixel_->setMinimumWidth(
        statusPixel_->fontMetrics().horizontalAdvance(QStringLiteral("x 00000, y 00000  index "
                                                                     "000  transparent")));
    statusZoom_ = new QLabel(image_->zoomText());
    statusZoom_->setObjectName(QStringLiteral("zoomStatus"));
    statusZoom_->setMinimumWidth(
        statusZoom_->fontMetrics().horizontalAdvance(QStringLiteral("Fit (100.0%)")));
    statusBar()->insertPermanentWidget(2, statusPixel_);
    statusBar()->insertPermanentWidget(3, statusZoom_);
    connect(image_, &ImagePane::zoomChanged, statusZoom_, &QLabel::setText);
    connect(image_, &ImagePane::pointedPixelChanged, statusPixel_, &QLabel::setText);

    // Playing speed: the delays in the file stay as they are.
    auto* speed = new QComboBox;
    speed->setObjectName(QStringLiteral("playSpeed"));
    speed->setToolTip(QStringLiteral("Playing speed (the delays of the images stay as they are)"));
    speed->setFocusPolicy(Qt::ClickFocus);
    for (int percent : {25, 50, 75, 100, 150, 200, 300, 400})
        speed->addItem(QStringLiteral("%1%").arg(percent), percent);
    speed->setCurrentIndex(speed->findData(playback_->speed()));
    connect(speed, &QComboBox::currentIndexChanged, this,
            [this, speed](int) { playback_->setSpeed(speed->currentData().toInt()); });
    if (auto* bar = findChild<QToolBar*>(QStringLiteral("toolbar"))) {
        bar->addSeparator();
        bar->addWidget(new QLabel(QStringLiteral(" Speed ")));
        bar->addWidget(speed);
    }
}
