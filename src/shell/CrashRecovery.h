#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <future>
#include <memory>

class AnimationDocument;
class QLockFile;
class QTimer;

// Keeps a copy of the unsaved animation where a crash cannot take it: while the document
// has unsaved changes it is written every `interval` seconds to a recovery file in the
// user's state folder, in the background from a snapshot (the window never waits). A save
// or a clean exit removes the file. Each running editor has a file of its own, guarded by
// a lock file; a file whose lock is stale was left by an editor that crashed.
class CrashRecovery : public QObject {
    Q_OBJECT
  public:
    // folder: where recovery files live (empty: the application's local data folder).
    CrashRecovery(AnimationDocument& doc, int intervalSeconds, QString folder = QString(),
                  QObject* parent = nullptr);
    ~CrashRecovery() override;

    // Writes the document now if it has unsaved changes, in the background; true when a
    // write was started. wait(): until the last write has ended.
    bool writeNow();
    void wait();
    // The file is no longer needed (saved, or nothing unsaved).
    void remove();
    QString filePath() const { return path_; }

    // Recovery files left by editors that are no longer running, newest first.
    static QStringList LeftBehind(const QString& folder = QString());
    static QString DefaultFolder();

  private:
    AnimationDocument& doc_;
    QString folder_;
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    QTimer* timer_ = nullptr;
    std::future<void> writing_;
};
