#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

class QSettings;

// A window placement as stored: eleven 32-bit fields (44 bytes) in this order: length,
// flags, show state, minimised x, y, maximised x, y, normal left, top, right, bottom.
struct WindowPlacement {
    std::array<int32_t, 11> fields{};

    int32_t& length() { return fields[0]; }
    int32_t length() const { return fields[0]; }
    int32_t showState() const { return fields[2]; }
    int32_t left() const { return fields[7]; }
    int32_t top() const { return fields[8]; }
    int32_t right() const { return fields[9]; }
    int32_t bottom() const { return fields[10]; }

    QByteArray toBytes() const;
    static WindowPlacement FromBytes(const QByteArray& bytes, bool* ok = nullptr);
    // The default main window placement for a screen of the given size.
    static WindowPlacement DefaultFor(int screenWidth, int screenHeight);
};

// The program's settings, read once at start-up and written once when the main window
// closes, under the same value names, types and defaults wherever they are stored.
struct AppSettings {
    QString path = QStringLiteral("N/A");
    QString pathSave = QStringLiteral("N/A");
    uint32_t preview = 1;
    uint32_t previewFrames = 10;
    uint32_t fixedPreviewFrames = 0;
    uint32_t exportAsJpg = 0;
    uint32_t reloadAfterSave = 0;
    uint32_t confirmDelete = 1;
    uint32_t keepTrueColorInfo = 1;
    uint32_t multiInst = 0;
    uint32_t jpegCompression = 75;
    uint32_t gifCompression = 0xF0F0F0;
    uint32_t gifLossy = 0;         // 0 (lossless) .. 200
    uint32_t colourReduction = 0;  // 0 the exact rule, 1 the quality palette
    uint32_t dither = 100;         // the quality palette's dithering, 0 .. 100
    uint32_t sharedPalette = 0;    // with the quality palette: video frames share palettes
    uint32_t transparentWarning = 0;
    uint32_t optimizeWarning = 0;
    uint32_t unOptimizeWarning = 0;
    uint32_t resizeWarning = 0;
    uint32_t localPalWarning = 0;
    uint32_t globalPalWarning = 0;
    uint32_t toolWindows = 1;
    uint32_t recoverySeconds = 120;  // unsaved changes kept for crash recovery (0: never)
    uint32_t undoSteps = 100;        // the undo history's bounds: steps and memory
    uint32_t undoMemoryMiB = 512;
    uint32_t thumbnailSize = 64;  // the frame tree's pictures, pixels on the long side
    WindowPlacement winRect;
    WindowPlacement paramPlacement;  // length 0: never recorded
    QStringList history;             // at most five, most recent first

    static constexpr uint32_t kGifCompressionMasks[5] = {0xFCFCFC, 0xF8F8F8, 0xF0F0F0, 0xE0E0E0,
                                                         0xC0C0C0};
    static constexpr int kMaxPreviewFrames = 1000;
    static constexpr uint32_t kMinThumbnailSize = 16, kMaxThumbnailSize = 256;
};

// Reads and writes AppSettings in a QSettings store (the user's native settings store
// for "Velmora" unless a store is given, as the tests do).
class SettingsStore {
  public:
    // Reads every value; a value that is missing or out of range takes its default. On
    // the first run (nothing stored yet) every default is written at once.
    static AppSettings Load(QSettings& store, int screenWidth, int screenHeight);
    static void Save(QSettings& store, const AppSettings& settings);

    // Hand-over values between instances: "Temp" followed by a number.
    static void PutHandOver(QSettings& store, uint32_t number, const QString& path);
    // Reads and deletes the value; empty when it is missing.
    static QString TakeHandOver(QSettings& store, uint32_t number);
};
