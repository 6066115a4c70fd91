// The main window's command handlers.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTreeView>
#include <optional>

#include "app/HelpWindow.h"
#include "banner/BannerGenerator.h"
#include "colour/FrameResize.h"
#include "colour/Optimise.h"
#include "colour/OptimisedSave.h"
#include "colour/RemoveDuplicates.h"
#include "colour/UnOptimise.h"
#include "dialogs/BannerDialog.h"
#include "dialogs/CommentDialog.h"
#include "dialogs/EffectDialog.h"
#include "dialogs/OptimiseProgressDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/ParametersWindow.h"
#include "dialogs/ResizeDialog.h"
#include "dialogs/WarningDialog.h"
#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/DocumentCommands.h"
#include "document/DocumentEdit.h"
#include "effects/Apply.h"
#include "gif/GifWriter.h"
#include "host/VersionNotice.h"
#include "import/FileImport.h"
#include "io/AnimationSave.h"
#include "io/Jpeg.h"
#include "shell/CommandIds.h"
#include "shell/CrashRecovery.h"
#include "shell/FrameTreeModel.h"
#include "shell/ImagePane.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"
#include "shell/SaveDialogs.h"
#include "shell/ScreenPlacement.h"
#include "textcanvas/QtTextCanvas.h"

namespace {

std::string Local(const QString& s) {
    return s.toLocal8Bit().toStdString();
}

// Commands that stop a playing animation first.
bool StopsPlayback(int id) {
    switch (id) {
        case kCmdOpen:
        case kCmdSaveAs:
        case kCmdExportImage:
        case kCmdCopy:
        case kCmdPaste:
        case kCmdPasteKey:
        case kCmdDelete:
        case kCmdDuplicate:
        case kCmdResize:
        case kCmdBannerText:
        case kCmdComment:
        case kCmdCut:
        case kCmdRemoveDuplicates:
            return true;
        default:
            return false;
    }
}

// The name of the undo step a command makes ("" for commands that change nothing).
std::string EditName(int id, AnimationDocument& doc, const EffectSession& session) {
    switch (id) {
        case kCmdCut:
            return "Cut Frame";
        case kCmdPaste:
        case kCmdPasteKey:
            return "Paste Frame";
        case kCmdDelete:
            switch (KindOfItem(doc, doc.selectedItem)) {
                case ItemKind::Image:
                    return "Delete Frame";
                case ItemKind::Group:
                    return "Delete Group";
                case ItemKind::Banner:
                    return "Delete Banner";
                default:
                    return "Delete Comment";
            }
        case kCmdDuplicate:
            return "Duplicate Frame";
        case kCmdInsertEffect:
            return "Insert Effect";
        case kCmdInsertTransition:
        case kCmdInsertTransitionKey:
            return "Insert Transition";
        case kCmdEffectTransition:
            return session.block.isEffect ? "Insert Effect" : "Insert Transition";
        case kCmdBannerText:
            return "Insert Banner";
        case kCmdComment:
            return "Edit Comment";
        case kCmdResize:
            return "Resize";
        case kCmdOptimize:
            return "Optimize";
        case kCmdUnOptimize:
            return "UnOptimize";
        case kCmdRemoveDuplicates:
            return "Remove Duplicate Frames";
        default:
            return {};
    }
}

}  // namespace

void MainWindow::runCommand(int id) {
    // Commands see the whole animation.
    finishOpening();
    if (StopsPlayback(id)) playback_->stop();
    if (runFrameTreeCommand(id)) {
        showHistoryState();
        return;
    }
    {
        // Every change a command makes becomes one undo step.
        const std::string name = EditName(id, *document_, effectSession_);
        std::optional<DocumentEdit> edit;
        if (!name.empty()) edit.emplace(*document_, name);
        runCommandBody(id);
    }
    showHistoryState();
}

void MainWindow::runCommandBody(int id) {
    switch (id) {
        case kCmdOpen:
            cmdOpen();
            break;
        case kCmdSave:
            cmdSave();
            break;
        case kCmdSaveAs:
            cmdSaveAs(0);
            break;
        case kCmdUndo:
            cmdUndo(false);
            break;
        case kCmdRedo:
            cmdUndo(true);
            break;
        case kCmdNew:
            cmdNew();
            break;
        case kCmdExportImage:
            cmdExportImage();
            break;
        case kCmdExportAll:
            cmdExportAll();
            break;
        case kCmdExit:
            close();
            break;
        case kCmdCopy:
            cmdCopy();
            break;
        case kCmdCut:
            cmdCut();
            break;
        case kCmdPaste:
        case kCmdPasteKey:
            cmdPaste();
            break;
        case kCmdDelete:
            cmdDelete();
            break;
        case kCmdDuplicate:
            cmdDuplicate();
            break;
        case kCmdInsertEffect:
            cmdInsert(true);
            break;
        case kCmdInsertTransition:
        case kCmdInsertTransitionKey:
            cmdInsert(false);
            break;
        case kCmdEffectTransition:
            cmdEffectTransition();
            break;
        case kCmdBannerText:
            cmdBannerText();
            break;
        case kCmdComment:
            if (!document_->empty()) CommentDialog::Run(this, *document_);
            break;
        case kCmdResize:
            cmdResize();
            break;
        case kCmdOptions:
            // The engine works on copies of the options.
            if (OptionsDialog::Run(this, settings_)) applyEngineSettings();
            break;
        case kCmdParameters:
            cmdParameters();
            break;
        case kCmdOptimize:
            cmdOptimize();
            break;
        case kCmdUnOptimize:
            cmdUnOptimize();
            break;
        case kCmdRemoveDuplicates:
            cmdRemoveDuplicates();
            break;
        case kCmdHelpContents:
            cmdHelp(QStringLiteral("Contents"));
            break;
        case kCmdHelpSearch:
            cmdHelp(QString());
            break;
        case kCmdHelpOnHelp:
            cmdHelp(QStringLiteral("How To Use Help"));
            break;
        case kCmdKeyBindings:
            cmdHelp(QStringLiteral("Key Bindings"));
            break;
        case kCmdAbout:
            cmdAbout();
            break;
        case kCmdGotoFirst:
            cmdGotoFirst();
            break;
        case kCmdStartAnimation:
            playback_->toggle();
            break;
        case kCmdStopAnimation:
            playback_->stop();
            break;
        case kCmdGotoLast:
            cmdGotoLast();
            break;
        default:
            if (id >= kCmdRecentFirst && id <= kCmdRecentLast) cmdRecent(id - kCmdRecentFirst);
            break;
    }
}

void MainWindow::cmdOpen() {
    QFileDialog dialog(this, QStringLiteral("Load Image"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList filters;
    for (const std::string& filter : OpenFileFilters()) filters << QString::fromStdString(filter);
    dialog.setNameFilters(filters);
    if (settings_.path != QLatin1String("N/A")) {
        const QFileInfo info(settings_.path);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    } else {
        dialog.setDirectory(QDir::homePath());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    openFile(dialog.selectedFiles().first(), DispatchVariant::Open);
}

bool MainWindow::writeAnimation(const QString& path) {
    AnimationDocument& doc = *document_;
    // AVI and the video formats take none of the GIF optimiser's work.
    const bool optimised = doc.settings.saveOptimized && IsGifPath(Local(path));
    const bool optimiseDocument = optimised && doc.settings.reloadAfterSave;
    doc.busy = true;
    host_.waitCursor(true);
    int result;
    if (optimised) {
        // Optimise a copy (the document stays as it is), or the document itself; that
        // is a change of its own, undoable like the Optimize command.
        std::optional<DocumentEdit> edit;
        if (optimiseDocument) edit.emplace(doc, "Optimize");
        OptimiseProgressDialog progress(this);
        progress.show();
        result = SaveOptimised(doc, Local(path), optimiseDocument, progress);
        progress.Close();
    } else {
        result = SaveAnimationByType(doc, Local(path));
    }
    host_.waitCursor(false);
    doc.busy = false;
    if (optimiseDocument) {
        // The document now holds the optimised frames: show them.
        RedisplayAfterOptimisedSave(doc);
        refreshAfterFrameChanges();
    } else {
        // Compositions held back while writing may now run.
        ResumeCompositions(doc);
    }
    if (result == -1) return false;  // aborted: nothing was written, nothing to report
    if (result != kSaveOk)
        host_.message("while saving animation", "Error...", MessageIcon::Exclamation);
    return result == kSaveOk;
}

bool MainWindow::saveAnimationTo(const QString& path) {
    if (document_->empty()) return false;
    if (!writeAnimation(path)) return false;
    // Only a written file becomes the saved state and the last path.
    document_->history.markSaved();
    recovery_->remove();
    documentPath_ = path;
    settings_.path = path;
    settings_.pathSave = path;
    recent_.Add(path);
    rebuildRecentMenu();
    return true;
}

bool MainWindow::cmdSaveAs(int) {
    if (document_->empty()) return false;
    SaveAsChoice initial;
    initial.saveOptimized = document_->settings.saveOptimized;
    initial.reloadAfterSave = settings_.reloadAfterSave != 0;
    initial.gifCompression = settings_.gifCompression;
    initial.lossy = int(settings_.gifLossy);
    // Propose the name with the extension of the type we write.
    QString start = settings_.pathSave;
    if (start != QLatin1String("N/A")) start = WithTypeExtension(start, false);
    const SaveAsChoice choice = RunSaveAsDialog(this, start, initial);
    if (choice.path.isEmpty()) return false;
    document_->settings.saveOptimized = choice.saveOptimized;
    document_->settings.reloadAfterSave = choice.reloadAfterSave;
    document_->settings.gifCompression = choice.gifCompression;
    document_->settings.lossy = choice.lossy;
    settings_.reloadAfterSave = choice.reloadAfterSave ? 1 : 0;
    settings_.gifCompression = choice.gifCompression;
    settings_.gifLossy = uint32_t(choice.lossy);
    return saveAnimationTo(choice.path);
}

void MainWindow::cmdExportImage() {
    FrameRecord* frame = document_->selectedFrame;
    if (!frame) {
        host_.message("No Gif associated with selection", "Export BUG", MessageIcon::Exclamation);
        return;
    }
    const ExportChoice choice =
        RunExportDialog(this, settings_.pathSave, int(settings_.jpegCompression));
    if (choice.path.isEmpty()) return;
    settings_.jpegCompression = uint32_t(choice.jpegCompression);
    document_->settings.jpegCompression = choice.jpegCompression;
    document_->busy = true;
    host_.waitCursor(true);
    bool ok = false;
    if (!choice.jpeg) {
        ok = SaveSingleGif(*document_, *frame, Local(choice.path)) == kSaveOk;
        if (!ok)
            host_.message("while saving single Gif Image", "Error...", MessageIcon::Exclamation);
    } else {
        // The frame's true colours (made from its palette when it has none kept).
        std::shared_ptr<TrueColourBuffer> colours;
        if (ToTrueColour(*frame, false)) colours = frame->trueColourPlane();
        ok = colours && ExportJpeg(*document_, *colours, Local(choice.path), true) == 0;
        if (!ok)
            host_.message("while saving single Jpg Image", "Error...", MessageIcon::Exclamation);
    }
    host_.waitCursor(false);
    document_->busy = false;
    if (ok) settings_.pathSave = choice.path;
}

bool MainWindow::confirmDiscardChanges(const char* caption, int resumeAfter) {
    if (!document_->modified() || document_->empty()) return true;
    const Answer answer = host_.ask("Do you want to save the current animation before closing it ?",
                                    caption, Buttons::YesNoCancel, MessageIcon::Exclamation);
    if (answer == Answer::Cancel) return false;
    if (answer == Answer::Yes) return cmdSaveAs(resumeAfter);  // a failed save keeps the animation
    return true;
}

void MainWindow::cmdNew() {
    if (!confirmDiscardChanges("Confirm Close", kCmdNew)) return;
    playback_->stop();
    host_.waitCursor(true);
    document_->Clear();
    documentPath_.clear();
    host_.waitCursor(false);
    playback_->setPosition(nullptr);
    selectEntry(document_->tree.root());
    applyDocumentLoaded(false);
    action(kCmdResize)->setEnabled(false);
    statusProgress_->setText(QStringLiteral("Idle"));
    progress_->setValue(0);
    image_->showFrame(nullptr);
}

bool MainWindow::cmdCopy() {
    // Only an image entry stands for a picture; a comment or group entry leaves the last
    // selected frame behind in selectedFrame.
    FrameRecord* frame = KindOfItem(*document_, document_->selectedItem) == ItemKind::Image
                             ? document_->selectedFrame
                             : nullptr;
    if (!frame) {
        host_.message("curGif==NULL", "Copy ", MessageIcon::Exclamation);
        return false;
    }
    host_.waitCursor(true);
    // The frame as it looks on screen: earlier frames show through its transparent pixels.
    std::shared_ptr<const ComposedPicture> picture = GetComposedBitmap(*frame);
    if (!picture) {
        host_.waitCursor(false);
        host_.message("Couldn't copy image to clipboard", "Error", MessageIcon::Exclamation);
        return false;
    }
    const QImage screen(reinterpret_cast<const uchar*>(picture->pixels.data()), picture->width,
                        picture->height, picture->width * 4, QImage::Format_RGB32);
    const QImage image = screen.copy(frame->left, frame->top, frame->width, frame->height);
    QApplication::clipboard()->setImage(image);
    host_.waitCursor(false);
    return true;
}

void MainWindow::cmdCut() {
    // Nothing is removed that did not reach the clipboard.
    if (cmdCopy()) cmdDelete();
}

void MainWindow::cmdPaste() {
    // Into an empty document the picture goes whatever entry (a global comment) is selected.
    if (document_->empty()) document_->selectedItem = document_->tree.root();
    const QImage image = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return;
    std::vector<uint32_t> pixels(size_t(image.width()) * size_t(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        std::copy(row, row + image.width(), pixels.begin() + qsizetype(y) * image.width());
    }
    if (PasteFrame(*document_, pixels.data(), image.width(), image.height()) != 0) return;
    applyDocumentLoaded(true);
    retitleResize();
    onSelectionChanged();
}

void MainWindow::cmdDelete() {
    if (DeleteSelectedItem(*document_, settings_.confirmDelete != 0) != 0) return;
    playback_->setPosition(nullptr);
    if (document_->empty()) {
        applyDocumentLoaded(false);
        action(kCmdResize)->setEnabled(false);
        statusProgress_->setText(QStringLiteral("Idle"));
        progress_->setValue(0);
        image_->showFrame(nullptr);
    } else {
        retitleResize();
    }
    onSelectionChanged();
}

void MainWindow::cmdDuplicate() {
    if (DuplicateSelectedFrame(*document_) != 0) return;
    retitleResize();
    onSelectionChanged();
}

void MainWindow::cmdInsert(bool effect) {
    // A transition needs a successor in the same place and of the same size.
    if (!effect && !TransitionPossible(*document_)) return;
    effectSession_.block.isEffect = effect ? 1 : 0;
    cmdEffectTransition();
}

void MainWindow::cmdEffectTransition() {
    const auto dialog = [this](EffectSession& session) {
        return EffectDialog::Run(this, *document_, session, settings_);
    };
    const ApplyResult result =
        Apply(*document_, effectSession_, dialog, [this] { playback_->stop(); });
    if (result != ApplyResult::Inserted) return;
    // Apply selected the first new frame through the tree.
    applyDocumentLoaded(true);
    retitleResize();
    onSelectionChanged();
}

void MainWindow::cmdBannerText() {
    BannerBlock block;
    FrameRecord* chain = nullptr;
    if (BannerDialog::Run(this, *document_, block)) {
        if (!block.confirmed) return;
        QtTextCanvas canvas;
        host_.waitCursor(true);
        chain = GenerateBanner(canvas, *document_, block);
        host_.waitCursor(false);
    }
    if (!chain) {
        host_.message(".. creating banner text", "Error ..", MessageIcon::Exclamation);
        return;
    }
    InsertBanner(*document_, chain);
    applyDocumentLoaded(true);
    retitleResize();
    onSelectionChanged();
}

void MainWindow::cmdOptimize() {
    if (document_->empty() || !Warn(this, settings_, WarningKind::Optimize)) return;
    playback_->stop();
    document_->settings.gifCompression = settings_.gifCompression;
    document_->settings.lossy = int(settings_.gifLossy);
    {
        OptimiseProgressDialog progress(this);
        progress.show();
        Optimise(*document_, progress);
        progress.Close();
    }
    // Even an aborted run has changed the frames done so far.
    document_->MarkChanged();
    refreshAfterFrameChanges();
}

void MainWindow::cmdUnOptimize() {
    if (document_->empty() || !Warn(this, settings_, WarningKind::UnOptimize)) return;
    playback_->stop();
    host_.waitCursor(true);
    UnOptimise(*document_, true);
    host_.waitCursor(false);
    document_->MarkChanged();
    refreshAfterFrameChanges();
}

void MainWindow::cmdRemoveDuplicates() {
    if (document_->empty()) return;
    host_.waitCursor(true);
    // Only pictures exactly equal to the one before: nothing the user sees changes.
    const int removed = RemoveDuplicateFrames(*document_, 0);
    host_.waitCursor(false);
    if (removed == 0) return;
    playback_->setPosition(nullptr);
    retitleResize();
    refreshAfterFrameChanges();
}

void MainWindow::cmdResize() {
    if (document_->empty()) return;
    ResizeRequest request;
    if (!ResizeDialog::Run(this, *document_, request)) return;
    host_.waitCursor(true);
    if (document_->countFrames() > 1 && request.maintainTransparency) {
        UnOptimise(*document_, false);
        document_->MarkChanged();
    }
    // Every frame and the screen, or none of them.
    const int result = ResizeAnimation(*document_, request.width, request.height, true);
    host_.waitCursor(false);
    if (result == 0) {
        document_->MarkChanged();
        layoutImagePane();
    }
    refreshAfterFrameChanges();
    if (result != 0)
        host_.message("Couldn't resize the image(s)", "Error", MessageIcon::Exclamation);
}

void MainWindow::refreshAfterFrameChanges() {
    for (FrameRecord* f = document_->firstFrame; f; f = f->next) {
        DiscardComposedBitmap(*f);
        StartComposition(*f);
    }
    onSelectionChanged();
}

void MainWindow::cmdHelp(const QString& keyword) {
    if (!ShowHelp(this, keyword)) {
        const char* text = keyword == QLatin1String("Contents") ? "Can't activate Help Contents"
                           : keyword == QLatin1String("Key Bindings")
                               ? "Can't activate Help on KeyBindings"
                           : keyword.isEmpty() ? "Can't activate Help Search"
                                               : "Can't activate Help On Help";
        host_.message(text, "Error", MessageIcon::Exclamation);
    }
}

void MainWindow::cmdAbout() {
    const auto html = [](const char* text) {
        return QString::fromUtf8(text).toHtmlEscaped().replace('\n', ' ');
    };
    QMessageBox::about(this, QStringLiteral("About Velmora"),
                       QStringLiteral("<h3>Velmora %1</h3><p>An editor for animated GIF files.</p>"
                                      "<p>%2</p><p>%3</p><p>%4</p>")
                           .arg(QStringLiteral(VELMORA_VERSION), html(version_notice::kCopyright),
                                html(version_notice::kLicence), html(version_notice::kNoWarranty)));
}

void MainWindow::cmdGotoFirst() {
    if (TreeItem* first = playback_->firstImageEntry()) selectEntry(first);
}

void MainWindow::cmdGotoLast() {
    if (TreeItem* last = playback_->lastImageEntry(document_->selectedItem)) selectEntry(last);
}

void MainWindow::cmdRecent(int k) {
    if (k >= recent_.entries().size()) return;
    const QString path = recent_.entries()[k];
    settings_.path = path;
    const int result = openFile(path, DispatchVariant::Open);
    // Only a failed load removes the entry; a cancelled one keeps it.
    if (result != kImportOk && result != kImportCancelled) {
        recent_.Remove(path);
        rebuildRecentMenu();
    }
}

ParametersWindow* MainWindow::parametersWindow() const {
    return parameters_.data();
}

void MainWindow::cmdParameters() {
    if (!parameters_) {
        settings_.toolWindows = 1;
        parameters_ = new ParametersWindow(this, *document_, settings_);
        ParametersWindow* w = parameters_.data();
        connect(w, &ParametersWindow::pictureChanged, image_, qOverload<>(&QWidget::update));
        connect(w, &ParametersWindow::treeFocusWanted, tree_, qOverload<>(&QWidget::setFocus));
        // Queued: the step is recorded when the window's handler returns.
        connect(w, &ParametersWindow::documentChanged, this, &MainWindow::showHistoryState,
                Qt::QueuedConnection);
        connect(w, &ParametersWindow::delayInForceChanged, this, [this] {
            // The new delay applies from the next frame on.
            if (!playback_->playing()) return;
            playback_->stop();
            playback_->toggle();
        });
        connect(w, &ParametersWindow::closedByUser, this,
                [this] { action(kCmdParameters)->setChecked(false); });
        w->setAttribute(Qt::WA_ShowWithoutActivating);
        if (settings_.paramPlacement.length() == 0) {
            // First time: beside the main window.
            w->adjustSize();
            w->move(frameGeometry().topRight() + QPoint(8, 0));
            w->recordPlacement();
        } else {
            w->restorePlacement();
        }
        w->show();
        // Wholly on the screen (frame included, known once shown), wherever the main
        // window or an older placement put it.
        const QRect frame = w->frameGeometry();
        const QRect onScreen = ClampToScreen(frame);
        if (onScreen.topLeft() != frame.topLeft()) {
            w->move(w->pos() + (onScreen.topLeft() - frame.topLeft()));
            w->recordPlacement();
        }
        tree_->setFocus();
        action(kCmdParameters)->setChecked(true);
        return;
    }
    destroyParametersWindow();
    settings_.toolWindows = 0;
    action(kCmdParameters)->setChecked(false);
    action(kCmdParameters)->setEnabled(!document_->empty());
}

void MainWindow::refreshParametersWindow() {
    if (parameters_) parameters_->Refresh();
}

void MainWindow::destroyParametersWindow() {
    if (!parameters_) return;
    parameters_->recordPlacement();
    delete parameters_.data();
}
