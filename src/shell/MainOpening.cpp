// Opening files into the main window; a GIF opened into the empty document comes in
// a slice at a time, so that its first image shows at once however long the file is.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <chrono>

#include "dialogs/AviLoadDialog.h"
#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "document/DocumentEdit.h"
#include "import/LoadGif.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"

namespace {

// Files up to this size are read in one go: they take less than a slice or two.
constexpr qint64 kReadWholeUpTo = 2 << 20;

}  // namespace

int MainWindow::openFile(const QString& path, DispatchVariant source) {
    playback_->stop();
    finishOpening();
    const bool wasEmpty = document_->empty();
    const QFileInfo file(path);
    if (wasEmpty && file.suffix().compare(QStringLiteral("gif"), Qt::CaseInsensitive) == 0 &&
        file.size() > kReadWholeUpTo)
        return openGifInSteps(path, source);
    int result;
    {
        // Into a document with frames, a file is an undoable insertion.
        DocumentEdit edit(*document_, "Insert File");
        result = OpenFileByType(*document_, path.toLocal8Bit().toStdString(), source,
                                AviLoadDialog::ImportOptions(this));
    }
    if (result == kImportOk) afterLoad(path, wasEmpty, source == DispatchVariant::Open);
    showHistoryState();
    return result;
}

void MainWindow::openHandedOver(const QString& path) {
    // A dialog or a progress window is up, perhaps with frames half changed.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(250, this, [this, path] { openHandedOver(path); });
        return;
    }
    const int result = openFile(path, DispatchVariant::CommandLine);
    raise();
    activateWindow();
    if (result == kImportUnknownType) {
        host_.message(InvalidFormatMessage(DispatchVariant::CommandLine,
                                           FileExtensionOf(path.toLocal8Bit().toStdString())),
                      "CommandLine Error", MessageIcon::Exclamation);
    } else if (result == kImportFailed) {
        host_.message("Some Error occured while loading file", "CommandLine Error",
                      MessageIcon::Exclamation);
    }
}

int MainWindow::openGifInSteps(const QString& path, DispatchVariant source) {
    auto load = std::make_unique<GifLoadInSteps>(*document_);
    if (load->Begin(path.toLocal8Bit().toStdString()) != 0) return kImportFailed;
    opening_ = std::move(load);
    afterLoad(path, true, source == DispatchVariant::Open);
    showHistoryState();
    if (!openingTimer_) {
        openingTimer_ = new QTimer(this);
        connect(openingTimer_, &QTimer::timeout, this, &MainWindow::continueOpening);
    }
    openingTimer_->start(0);
    return kImportOk;
}

void MainWindow::continueOpening() {
    if (!opening_) {
        openingTimer_->stop();
        return;
    }
    afterOpeningStep(!opening_->Continue(openingSlice_));
}

void MainWindow::finishOpening() {
    if (!opening_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    opening_->Finish();
    QApplication::restoreOverrideCursor();
    afterOpeningStep(true);
}

void MainWindow::afterOpeningStep(bool last) {
    // The group runs follow the entries that came in.
    SyncGroupTables(*document_);
    if (opening_->TakeScreenGrown()) layoutImagePane();
    retitleResize();
    if (!last) return;
    opening_.reset();
    openingTimer_->stop();
    updateTransitionEnabling();
    refreshParametersWindow();
}
