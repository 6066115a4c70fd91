// The main window's undo, redo and save-in-place, and the title that shows what is unsaved.
#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTreeView>

#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "import/LoadGif.h"
#include "shell/CommandIds.h"
#include "shell/CrashRecovery.h"
#include "shell/ImagePane.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"

bool MainWindow::cmdSave() {
    if (document_->empty()) return false;
    // Written as it was last saved: the options are the document's.
    if (documentPath_.isEmpty()) return cmdSaveAs(0);
    return saveAnimationTo(documentPath_);
}

void MainWindow::cmdUndo(bool redo) {
    AnimationDocument& doc = *document_;
    playback_->stop();
    host_.waitCursor(true);
    const bool done = redo ? doc.history.redo(doc) : doc.history.undo(doc);
    host_.waitCursor(false);
    if (!done) return;
    playback_->setPosition(nullptr);
    applyDocumentLoaded(!doc.empty());
    if (doc.empty()) {
        image_->showFrame(nullptr);
    } else {
        action(kCmdParameters)->setEnabled(true);
        layoutImagePane();
        retitleResize();
    }
    refreshAfterFrameChanges();
    refreshParametersWindow();
}

void MainWindow::showHistoryState() {
    const AnimationDocument& doc = *document_;
    tree_->viewport()->update();  // delays and thumbnails may have changed
    const QString name =
        documentPath_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(documentPath_).fileName();
    const bool unsaved = doc.modified() && !doc.empty();
    setWindowTitle(name + (unsaved ? QStringLiteral("*") : QString()) +
                   QStringLiteral(" - Velmora"));

    const auto label = [](const char* verb, const std::string& step) {
        return step.empty()
                   ? QString::fromLatin1(verb)
                   : QStringLiteral("%1 %2").arg(QLatin1String(verb), QString::fromStdString(step));
    };
    const QString undo = label("&Undo", doc.history.undoName());
    const QString redo = label("&Redo", doc.history.redoName());
    action(kCmdUndo)->setText(undo);
    action(kCmdRedo)->setText(redo);
    action(kCmdUndo)->setEnabled(doc.history.canUndo());
    action(kCmdRedo)->setEnabled(doc.history.canRedo());
    toolbarUndo_->setText(QString(undo).remove(QLatin1Char('&')));
    toolbarRedo_->setText(QString(redo).remove(QLatin1Char('&')));
    toolbarUndo_->setToolTip(toolbarUndo_->text());
    toolbarRedo_->setToolTip(toolbarRedo_->text());
    toolbarUndo_->setEnabled(doc.history.canUndo());
    toolbarRedo_->setEnabled(doc.history.canRedo());
}

bool MainWindow::offerRecovery(const QString& folder) {
    const QStringList left = CrashRecovery::LeftBehind(folder);
    if (left.isEmpty()) return false;
    const QString newest = left.first();
    const QString time = QLocale().toString(QFileInfo(newest).lastModified(), QLocale::ShortFormat);
    const Answer answer =
        host_.ask(QStringLiteral("Recover the unsaved animation from %1?").arg(time).toStdString(),
                  "Velmora", Buttons::YesNo, MessageIcon::Question);
    bool recovered = false;
    if (answer == Answer::Yes && document_->empty()) {
        if (LoadGifIntoDocument(*document_, QFile::encodeName(newest).toStdString()) == 0) {
            // Untitled: no path of the recovery file reaches the recent files or Save.
            afterLoad(QString(), true, false);
            document_->MarkChanged();  // unsaved until the user saves it somewhere
            recovered = true;
        }
    }
    // Recovered or declined, it is not offered again; others wait for the next start.
    QFile::remove(newest);
    QFile::remove(newest + QStringLiteral(".lock"));
    showHistoryState();
    return recovered;
}
