#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Keeps files opened from outside in one editor. The first instance listens on a local
// socket named after the main window class; a second one started with one file asks it
// for a hand-over number n, leaves the path in the settings store as "Temp<n>" and tells
// the first instance to open it.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket name: "VelmoraMain" plus the user, or $VELMORA_INSTANCE_NAME.
    static QString ServerName();
    // Second instance: hands `path` to a running instance, waiting at most timeoutMs
    // for it to answer. True when it took the file (this instance should end).
    static bool HandOver(const QString& path, int timeoutMs = 5000);
    // First instance: starts listening. False when the name cannot be had, or another
    // instance answers on it (it keeps the name). A socket nobody answers on is left from
    // a crash and is replaced.
    bool Listen();

  signals:
    void fileHandedOver(const QString& path);

  private:
    void onConnection();
    QLocalServer* server_ = nullptr;
    uint32_t handOverCounter_ = 0;
};
