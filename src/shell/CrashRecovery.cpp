#include "shell/CrashRecovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

#include "document/AnimationDocument.h"
#include "document/DocumentState.h"
#include "gif/GifWriter.h"
#include "host/Host.h"

namespace {

QString LockPathFor(const QString& recoveryPath) {
    return recoveryPath + QStringLiteral(".lock");
}

// Writes the snapshot through a document of its own on this (background) thread; the
// planes are shared with the editor's document, never written.
void WriteSnapshot(const DocumentState& state, const std::string& path) {
    SilentHost host;
    AnimationDocument copy(host, 1);
    if (!RestoreState(copy, state) || copy.empty()) return;
    SaveAnimation(copy, path);  // replaces the old file only once the new one is complete
}

}  // namespace

CrashRecovery::CrashRecovery(AnimationDocument& doc, int intervalSeconds, QString folder,
                             QObject* parent)
    : QObject(parent), doc_(doc), folder_(folder.isEmpty() ? DefaultFolder() : folder) {
    QDir().mkpath(folder_);
    path_ = QDir(folder_).filePath(
        QStringLiteral("recovery-%1.gif").arg(QCoreApplication::applicationPid()));
    lock_ = std::make_unique<QLockFile>(LockPathFor(path_));
    lock_->setStaleLockTime(0);
    lock_->tryLock(0);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!writeNow() && !doc_.modified()) remove();
    });
    if (intervalSeconds > 0) timer_->start(intervalSeconds * 1000);
}

CrashRecovery::~CrashRecovery() {
    wait();
}

bool CrashRecovery::writeNow() {
    if (!doc_.modified() || doc_.empty() || doc_.busy) return false;
    // One write at a time; a write still running is not waited for.
    if (writing_.valid() && writing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return false;
    auto state = std::make_shared<DocumentState>(CaptureState(doc_));
    const std::string path = QFile::encodeName(path_).toStdString();
    writing_ = std::async(std::launch::async, [state, path] { WriteSnapshot(*state, path); });
    return true;
}

void CrashRecovery::wait() {
    if (writing_.valid()) writing_.wait();
}

void CrashRecovery::remove() {
    wait();
    QFile::remove(path_);
}

QString CrashRecovery::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QStringList CrashRecovery::LeftBehind(const QString& folder) {
    const QDir dir(folder.isEmpty() ? DefaultFolder() : folder);
    QStringList found;
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("recovery-*.gif")}, QDir::Files, QDir::Time);
    for (const QFileInfo& file : files) {
        // A running editor holds the lock of its file; a crashed one left it stale.
        QLockFile lock(LockPathFor(file.filePath()));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0)) continue;
        lock.unlock();
        found << file.filePath();
    }
    return found;
}
