#include "shell/SaveDialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include "dialogs/ContextHelp.h"

namespace {

constexpr uint32_t kMasks[5] = {0xFCFCFC, 0xF8F8F8, 0xF0F0F0, 0xE0E0E0, 0xC0C0C0};
const char* const kLevelTexts[5] = {"Highest Quality", "High Quality", "Medium", "Small Size",
                                    "Smallest Size"};

// Start directory and name from a stored path ("N/A": the home folder, no name).
void Prepare(QFileDialog& dialog, const QString& startPath) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (startPath.isEmpty() || startPath == QLatin1String("N/A")) {
        dialog.setDirectory(QDir::homePath());
    } else {
        const QFileInfo info(startPath);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
}

// The option panel goes below the file list, across the dialog.
void AddPanel(QFileDialog& dialog, QWidget* panel) {
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        grid->addWidget(panel, grid->rowCount(), 0, 1, grid->columnCount());
    }
}

// The extension a name filter such as "MP4 Video(*.mp4)" stands for: "GIF" for the GIF
// filter, else the pattern's extension.
QString SuffixOfFilter(const QString& filter) {
    const int star = filter.lastIndexOf(QLatin1String("*."));
    const int close = filter.lastIndexOf(QLatin1Char(')'));
    if (star < 0 || close < star) return QStringLiteral("GIF");
    const QString ext = filter.mid(star + 2, close - star - 2);
    return ext.compare(QLatin1String("gif"), Qt::CaseInsensitive) == 0 ? QStringLiteral("GIF")
                                                                       : ext;
}

bool HasExtension(const QString& path, const char* ext) {
    return QFileInfo(path).suffix().compare(QLatin1String(ext), Qt::CaseInsensitive) == 0;
}

}  // namespace

QStringList SaveAsFilters() {
    return {QStringLiteral("Gif Image(*.gif)"),      QStringLiteral("AVI Files(*.avi)"),
            QStringLiteral("Animated WebP(*.webp)"), QStringLiteral("Animated PNG(*.apng)"),
            QStringLiteral("MP4 Video(*.mp4)"),      QStringLiteral("WebM Video(*.webm)")};
}

int QualityLevelForMask(uint32_t mask) {
    for (int i = 0; i < 5; ++i) {
        if (kMasks[i] == mask) return i + 1;
    }
    return 3;
}

uint32_t MaskForQualityLevel(int level) {
    return kMasks[std::clamp(level, 1, 5) - 1];
}

QString QualityLevelText(int level) {
    return QString::fromLatin1(kLevelTexts[std::clamp(level, 1, 5) - 1]);
}

QString WithTypeExtension(const QString& path, bool jpeg) {
    const QFileInfo info(path);
    const QString wanted = jpeg ? QStringLiteral(".JPG") : QStringLiteral(".GIF");
    if (!info.fileName().contains(QLatin1Char('.'))) return path + wanted;
    if (HasExtension(path, jpeg ? "jpg" : "gif")) return path;
    return path.left(path.size() - info.suffix().size() - 1) + wanted;
}

SaveAsChoice RunSaveAsDialog(QWidget* parent, const QString& startPath,
                             const SaveAsChoice& initial) {
    QFileDialog dialog(parent, QStringLiteral("Save Animation"));
    Prepare(dialog, startPath);
    // GIF first; the other animated formats are written by their extension.
    const QStringList filters = SaveAsFilters();
    dialog.setNameFilters(filters);
    // The dialog adds the extension itself, so that the name it asks about before
    // replacing a file is the name written; it follows the chosen type.
    dialog.setDefaultSuffix(QStringLiteral("GIF"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& f) { dialog.setDefaultSuffix(SuffixOfFilter(f)); });

    auto* panel = new QGroupBox;
    auto* row = new QHBoxLayout(panel);
    auto* optimised = new QCheckBox(QStringLiteral("Save &Opimized"));
    auto* reload = new QCheckBox(QStringLiteral("&Display Optimization Results"));
    auto* slider = new QSlider(Qt::Horizontal);
    auto* readout = new QLabel;
    slider->setRange(1, 5);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setObjectName(QStringLiteral("quality"));
    optimised->setObjectName(QStringLiteral("saveOptimized"));
    reload->setObjectName(QStringLiteral("reloadAfterSave"));
    row->addWidget(optimised);
    row->addWidget(reload);
    row->addWidget(new QLabel(QStringLiteral("Quality/Size:")));
    row->addWidget(slider, 1);
    row->addWidget(readout);
    auto* lossySlider = new QSlider(Qt::Horizontal);
    auto* lossyReadout = new QLabel(QString::number(initial.lossy));
    lossySlider->setRange(0, 200);
    lossySlider->setPageStep(10);
    lossySlider->setValue(initial.lossy);
    lossySlider->setObjectName(QStringLiteral("lossy"));
    lossyReadout->setMinimumWidth(24);
    row->addWidget(new QLabel(QStringLiteral("Lossy:")));
    row->addWidget(lossySlider, 1);
    row->addWidget(lossyReadout);
    int level = QualityLevelForMask(initial.gifCompression);
    slider->setValue(level);
    readout->setText(QualityLevelText(level));
    optimised->setChecked(initial.saveOptimized);
    reload->setChecked(initial.reloadAfterSave);
    auto follow = [=](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(reload), static_cast<QWidget*>(slider),
                           static_cast<QWidget*>(readout), static_cast<QWidget*>(lossySlider),
                           static_cast<QWidget*>(lossyReadout)}) {
            w->setEnabled(on);
        }
    };
    follow(initial.saveOptimized);
    auto* help = new ContextHelp(panel, QStringLiteral("Files"));
    help->add(optimised, 61);
    help->add(reload, 62);
    help->add(slider, 96);
    help->add(readout, 96);
    QObject::connect(optimised, &QCheckBox::toggled, panel, follow);
    QObject::connect(slider, &QSlider::valueChanged, panel, [&level, readout](int v) {
        level = v;
        readout->setText(QualityLevelText(v));
    });
    QObject::connect(lossySlider, &QSlider::valueChanged, panel,
                     [lossyReadout](int v) { lossyReadout->setText(QString::number(v)); });
    AddPanel(dialog, panel);

    SaveAsChoice choice = initial;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        choice.path.clear();
        return choice;
    }
    choice.path = dialog.selectedFiles().first();
    choice.saveOptimized = optimised->isChecked();
    choice.reloadAfterSave = reload->isChecked();
    choice.gifCompression = MaskForQualityLevel(level);
    choice.lossy = lossySlider->value();
    return choice;
}

ExportChoice RunExportDialog(QWidget* parent, const QString& startPath, int jpegCompression) {
    QFileDialog dialog(parent, QStringLiteral("Export single image"));
    Prepare(dialog, startPath);
    const QString gifFilter = QStringLiteral("Gif Image(*.gif)");
    const QString jpegFilter = QStringLiteral("Jpeg(*.jpg)");
    dialog.setNameFilters({gifFilter, jpegFilter});

    auto* panel = new QGroupBox;
    auto* row = new QHBoxLayout(panel);
    auto* label = new QLabel(QStringLiteral("Jpeg Compression"));
    auto* slider = new QSlider(Qt::Horizontal);
    auto* readout = new QLabel(QString::number(jpegCompression));
    slider->setObjectName(QStringLiteral("jpegCompression"));
    slider->setRange(0, 100);
    slider->setTickInterval(10);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setValue(jpegCompression);
    row->addWidget(label);
    row->addWidget(slider, 1);
    row->addWidget(readout);
    auto* help = new ContextHelp(panel, QStringLiteral("Files"));
    help->add(slider, 59);
    help->add(readout, 60);
    QObject::connect(slider, &QSlider::valueChanged, readout,
                     [readout](int v) { readout->setText(QString::number(v)); });
    auto enableJpeg = [=](bool on) {
        label->setEnabled(on);
        slider->setEnabled(on);
        readout->setEnabled(on);
    };
    const bool startsJpeg = HasExtension(startPath, "jpg");
    if (startsJpeg) dialog.selectNameFilter(jpegFilter);
    enableJpeg(startsJpeg);
    // The dialog adds the extension of the chosen type before it asks about replacing.
    dialog.setDefaultSuffix(startsJpeg ? QStringLiteral("JPG") : QStringLiteral("GIF"));
    // Switching the type fixes the typed name's extension.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, panel,
        [&dialog, jpegFilter, enableJpeg](const QString& f) {
            const bool jpeg = f == jpegFilter;
            enableJpeg(jpeg);
            dialog.setDefaultSuffix(jpeg ? QStringLiteral("JPG") : QStringLiteral("GIF"));
            if (auto* edit = dialog.findChild<QLineEdit*>()) {
                if (!edit->text().isEmpty()) edit->setText(WithTypeExtension(edit->text(), jpeg));
            }
        });
    QObject::connect(
        &dialog, &QFileDialog::currentChanged, panel,
        [&dialog, gifFilter, jpegFilter](const QString& p) {
            if (HasExtension(p, "jpg"))
                dialog.selectNameFilter(jpegFilter), emit dialog.filterSelected(jpegFilter);
            else if (HasExtension(p, "gif"))
                dialog.selectNameFilter(gifFilter), emit dialog.filterSelected(gifFilter);
        });
    AddPanel(dialog, panel);

    ExportChoice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return choice;
    choice.jpeg = dialog.selectedNameFilter() == jpegFilter;
    choice.path = dialog.selectedFiles().first();
    choice.jpeg = !HasExtension(choice.path, "gif");
    choice.jpegCompression = slider->value();
    return choice;
}
