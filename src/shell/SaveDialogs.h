#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class QWidget;

// The save dialogs with their option panels below the file list.
struct SaveAsChoice {
    QString path;  // empty: cancelled
    bool saveOptimized = false;
    bool reloadAfterSave = false;
    uint32_t gifCompression = 0xF0F0F0;
    int lossy = 0;  // 0 (lossless) .. 200
};
struct ExportChoice {
    QString path;  // empty: cancelled
    bool jpeg = false;
    int jpegCompression = 75;
};

// Slider level 1..5 for a "Gif Compression" mask (3 for anything unknown) and back.
int QualityLevelForMask(uint32_t mask);
uint32_t MaskForQualityLevel(int level);
// "Highest Quality" ... "Smallest Size".
QString QualityLevelText(int level);

// The Save As dialog's types: "Gif Image(*.gif)" first, then AVI, WebP, APNG, MP4 and
// WebM, each written by its extension.
QStringList SaveAsFilters();

SaveAsChoice RunSaveAsDialog(QWidget* parent, const QString& startPath,
                             const SaveAsChoice& initial);
ExportChoice RunExportDialog(QWidget* parent, const QString& startPath, int jpegCompression);
// The name with the extension of the chosen type (".GIF" or ".JPG") when it has none, or
// with its extension replaced when it names the other type.
QString WithTypeExtension(const QString& path, bool jpeg);
