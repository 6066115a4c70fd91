// Export All Images: every frame to its own numbered file.
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QStandardPaths>

#include "dialogs/ExportAllDialog.h"
#include "document/AnimationDocument.h"
#include "io/ExportAll.h"
#include "shell/ImagePane.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"

namespace {

// Where a first export goes when nothing was saved yet.
QString DefaultExportFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString folder =
        !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath();
    return QDir::toNativeSeparators(folder + QLatin1Char('/'));
}

}  // namespace

void MainWindow::cmdExportAll() {
    AnimationDocument& doc = *document_;
    if (doc.empty()) return;
    // Frames are read (and made true colour for JPEG) while the export runs.
    playback_->stop();
    const int digits = ExportDigits(doc.countFrames());
    QString pattern =
        settings_.pathSave == QLatin1String("N/A") ? DefaultExportFolder() : settings_.pathSave;
    char indicator = 0;
    if (!ExportAllDialog::Run(this, settings_, digits, pattern, indicator)) return;
    doc.settings.jpegCompression = int(settings_.jpegCompression);

    ExportAllRequest request;
    request.pattern = pattern.toLocal8Bit().toStdString();
    request.indicator = indicator;
    request.asJpeg = settings_.exportAsJpg != 0;
    const QString idleText = statusProgress_->text();
    const int idleValue = progress_->value();
    const auto progress = [this](int k, int total) {
        statusProgress_->setText(QStringLiteral("Exporting Image %1 of %2").arg(k + 1).arg(total));
        progress_->setValue(total > 0 ? k * 100 / total : 0);
        // Painted at once, without running the event loop: nothing may change the frames
        // (a command, a file handed over by another instance) until the export is done.
        statusProgress_->repaint();
        progress_->repaint();
    };
    const int result = ExportAllImages(doc, request, progress);
    statusProgress_->setText(idleText);
    progress_->setValue(idleValue);
    // Compositions held back while exporting may run now (a frame composed already ends
    // its job at once).
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) StartComposition(*f);
    image_->update();
    // Only a complete export becomes the next starting point.
    if (result == 0) settings_.pathSave = pattern;
}
