#include "shell/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QSettings>

#include "app/SettingsStore.h"

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

QString SingleInstance::ServerName() {
    const QString custom = qEnvironmentVariable("VELMORA_INSTANCE_NAME");
    if (!custom.isEmpty()) return custom;
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    return QStringLiteral("VelmoraMain-") + user;
}

bool SingleInstance::HandOver(const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(timeoutMs)) return false;
    // Ask for the number of this hand-over, leave the path under it, then say "open".
    socket.write("HANDOVER\n");
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    }
    bool ok = false;
    const uint32_t number = socket.readLine().trimmed().toUInt(&ok);
    if (!ok) return false;
    {
        QSettings store;
        SettingsStore::PutHandOver(store, number, path);
    }
    socket.write("OPEN " + QByteArray::number(number) + "\n");
    socket.waitForBytesWritten(timeoutMs);
    // Wait until the running instance has read the message before going away.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen() {
    // Another instance answering on the name keeps it: it is the one files go to. Ask
    // before listening: with access options QLocalServer binds beside the name and
    // renames its socket over whatever is there, so listening alone would take the name.
    {
        QLocalSocket probe;
        probe.connectToServer(ServerName());
        if (probe.waitForConnected(2000)) {
            probe.disconnectFromServer();
            return false;
        }
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(ServerName())) {
        // A socket left behind by a crashed instance: nobody answers on it.
        QLocalServer::removeServer(ServerName());
        if (!server_->listen(ServerName())) return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    return true;
}

void SingleInstance::onConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine().trimmed();
                if (line == "HANDOVER") {
                    socket->write(QByteArray::number(handOverCounter_++) + "\n");
                } else if (line.startsWith("OPEN ")) {
                    bool ok = false;
                    const uint32_t number = line.mid(5).toUInt(&ok);
                    socket->write("OK\n");
                    if (!ok) continue;
                    // The value named by the message itself: a lost value never shifts
                    // later hand-overs.
                    QSettings store;
                    const QString path = SettingsStore::TakeHandOver(store, number);
                    if (!path.isEmpty()) emit fileHandedOver(path);
                }
            }
        });
    }
}
