#include "app/SettingsStore.h"

#include <QDataStream>
#include <QSettings>
#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kHistoryFormat = "History File %1";

uint32_t ReadDword(QSettings& s, const char* name, uint32_t fallback,
                   bool (*valid)(uint32_t) = nullptr) {
    const QVariant v = s.value(QLatin1String(name));
    bool ok = false;
    const qulonglong n = v.toULongLong(&ok);
    if (!v.isValid() || !ok || n > 0xFFFFFFFFull) return fallback;
    if (valid && !valid(uint32_t(n))) return fallback;
    return uint32_t(n);
}

bool IsBool(uint32_t v) {
    return v <= 1;
}
bool IsRecoveryInterval(uint32_t v) {
    return v <= 24 * 3600;
}
bool IsUndoSteps(uint32_t v) {
    return v >= 1 && v <= 10000;
}
bool IsUndoMemory(uint32_t v) {
    return v >= 1 && v <= 64 * 1024;
}
bool IsThumbnailSize(uint32_t v) {
    return v >= AppSettings::kMinThumbnailSize && v <= AppSettings::kMaxThumbnailSize;
}
bool IsQuality(uint32_t v) {
    return v <= 100;
}
bool IsLossy(uint32_t v) {
    return v <= 200;
}
bool IsPreviewCount(uint32_t v) {
    return v >= 1 && v <= uint32_t(AppSettings::kMaxPreviewFrames);
}
bool IsMask(uint32_t v) {
    return std::find(std::begin(AppSettings::kGifCompressionMasks),
                     std::end(AppSettings::kGifCompressionMasks),
                     v) != std::end(AppSettings::kGifCompressionMasks);
}

QString ReadPath(QSettings& s, const char* name) {
    const QString v = s.value(QLatin1String(name)).toString();
    if (v.isEmpty()) return QStringLiteral("N/A");
    return v.left(511);
}

}  // namespace

QByteArray WindowPlacement::toBytes() const {
    QByteArray bytes(44, '\0');
    for (size_t i = 0; i < fields.size(); ++i) {
        const uint32_t v = uint32_t(fields[i]);
        for (int b = 0; b < 4; ++b) bytes[int(i * 4 + size_t(b))] = char((v >> (8 * b)) & 0xFF);
    }
    return bytes;
}

WindowPlacement WindowPlacement::FromBytes(const QByteArray& bytes, bool* ok) {
    WindowPlacement p;
    const bool good = bytes.size() == 44;
    if (ok) *ok = good;
    if (!good) return p;
    for (size_t i = 0; i < p.fields.size(); ++i) {
        uint32_t v = 0;
        for (int b = 0; b < 4; ++b)
            v |= uint32_t(uint8_t(bytes[int(i * 4 + size_t(b))])) << (8 * b);
        p.fields[i] = int32_t(v);
    }
    return p;
}

WindowPlacement WindowPlacement::DefaultFor(int w, int h) {
    WindowPlacement p;
    p.fields = {44, 0, 5, 0, 0, 0, 0, w / 6, h / 6, w * 5 / 6, h * 5 / 6};
    return p;
}

AppSettings SettingsStore::Load(QSettings& s, int screenWidth, int screenHeight) {
    AppSettings a;
    a.winRect = WindowPlacement::DefaultFor(screenWidth, screenHeight);
    if (s.allKeys().isEmpty()) {
        // First run: every value with its default, written before the window opens.
        Save(s, a);
        return a;
    }
    a.path = ReadPath(s, "Path");
    a.pathSave = ReadPath(s, "PathSave");
    a.preview = ReadDword(s, "Preview", 1, IsBool);
    a.previewFrames = ReadDword(s, "PreviewFrames", 10, IsPreviewCount);
    a.fixedPreviewFrames = ReadDword(s, "Fixed Nr. of PreviewFrames", 0, IsBool);
    a.exportAsJpg = ReadDword(s, "ExportAsJpg", 0, IsBool);
    a.reloadAfterSave = ReadDword(s, "ReloadAfterSave", 0, IsBool);
    a.confirmDelete = ReadDword(s, "Confirm Delete", 1, IsBool);
    a.keepTrueColorInfo = ReadDword(s, "Keep TrueColorInfo", 1, IsBool);
    a.multiInst = ReadDword(s, "MultiInst", 0, IsBool);
    a.jpegCompression = ReadDword(s, "Jpeg Compression", 75, IsQuality);
    a.gifCompression = ReadDword(s, "Gif Compression", 0xF0F0F0, IsMask);
    a.gifLossy = ReadDword(s, "Gif Lossy", 0, IsLossy);
    a.colourReduction = ReadDword(s, "Colour Reduction", 0, IsBool);
    a.dither = ReadDword(s, "Dither", 100, IsQuality);
    a.sharedPalette = ReadDword(s, "Shared Palette", 0, IsBool);
    a.transparentWarning = ReadDword(s, "Transparent Warning", 0, IsBool);
    a.optimizeWarning = ReadDword(s, "Optimize Warning", 0, IsBool);
    a.unOptimizeWarning = ReadDword(s, "UnOptimize Warning", 0, IsBool);
    a.resizeWarning = ReadDword(s, "Resize Warning", 0, IsBool);
    a.localPalWarning = ReadDword(s, "LocalPal Warning", 0, IsBool);
    a.globalPalWarning = ReadDword(s, "GlobalPal Warning", 0, IsBool);
    a.toolWindows = ReadDword(s, "ToolWindows", 1, IsBool);
    a.recoverySeconds = ReadDword(s, "Recovery Seconds", 120, IsRecoveryInterval);
    a.undoSteps = ReadDword(s, "Undo Steps", 100, IsUndoSteps);
    a.undoMemoryMiB = ReadDword(s, "Undo Memory MiB", 512, IsUndoMemory);
    a.thumbnailSize = ReadDword(s, "Thumbnail Size", 64, IsThumbnailSize);
    bool ok = false;
    const WindowPlacement win = WindowPlacement::FromBytes(s.value("WinRect").toByteArray(), &ok);
    if (ok && win.length() == 44) a.winRect = win;
    const WindowPlacement param =
        WindowPlacement::FromBytes(s.value("Param Placement").toByteArray(), &ok);
    if (ok) a.paramPlacement = param;
    for (int i = 0; i < 5; ++i) {
        const QString entry = s.value(QString(kHistoryFormat).arg(i)).toString();
        if (entry.isEmpty()) break;  // the list is kept contiguous
        a.history.append(entry.left(511));
    }
    return a;
}

void SettingsStore::Save(QSettings& s, const AppSettings& a) {
    s.setValue("Path", a.path);
    s.setValue("PathSave", a.pathSave);
    s.setValue("Preview", a.preview);
    s.setValue("PreviewFrames", a.previewFrames);
    s.setValue("Fixed Nr. of PreviewFrames", a.fixedPreviewFrames);
    s.setValue("ExportAsJpg", a.exportAsJpg);
    s.setValue("ReloadAfterSave", a.reloadAfterSave);
    s.setValue("Confirm Delete", a.confirmDelete);
    s.setValue("Keep TrueColorInfo", a.keepTrueColorInfo);
    s.setValue("MultiInst", a.multiInst);
    s.setValue("Jpeg Compression", a.jpegCompression);
    s.setValue("Gif Compression", a.gifCompression);
    s.setValue("Gif Lossy", a.gifLossy);
    s.setValue("Colour Reduction", a.colourReduction);
    s.setValue("Dither", a.dither);
    s.setValue("Shared Palette", a.sharedPalette);
    s.setValue("Transparent Warning", a.transparentWarning);
    s.setValue("Optimize Warning", a.optimizeWarning);
    s.setValue("UnOptimize Warning", a.unOptimizeWarning);
    s.setValue("Resize Warning", a.resizeWarning);
    s.setValue("LocalPal Warning", a.localPalWarning);
    s.setValue("GlobalPal Warning", a.globalPalWarning);
    s.setValue("ToolWindows", a.toolWindows);
    s.setValue("Recovery Seconds", a.recoverySeconds);
    s.setValue("Undo Steps", a.undoSteps);
    s.setValue("Undo Memory MiB", a.undoMemoryMiB);
    s.setValue("Thumbnail Size", a.thumbnailSize);
    s.setValue("WinRect", a.winRect.toBytes());
    s.setValue("Param Placement", a.paramPlacement.toBytes());
    for (int i = 0; i < 5; ++i) {
        const QString name = QString(kHistoryFormat).arg(i);
        // Empty entries are not written; a shorter list must not leave old ones behind.
        if (i < a.history.size() && !a.history[i].isEmpty())
            s.setValue(name, a.history[i]);
        else
            s.remove(name);
    }
    s.sync();
}

void SettingsStore::PutHandOver(QSettings& s, uint32_t number, const QString& path) {
    s.setValue(QStringLiteral("Temp%1").arg(number), path);
    s.sync();
}

QString SettingsStore::TakeHandOver(QSettings& s, uint32_t number) {
    s.sync();
    const QString name = QStringLiteral("Temp%1").arg(number);
    const QString path = s.value(name).toString().left(511);
    if (!path.isEmpty()) {
        s.remove(name);
        s.sync();
    }
    return path;
}
