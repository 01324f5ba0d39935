#include "viewer/SingleInstance.h"

#include "app/DdeCommand.h"
#include "platform/Registry.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerName()
{
    // One viewer per settings store: tests with their own store never meet a
    // user's running viewer.
    QByteArray folder = QByteArray::fromStdString(Registry::DefaultFolder());
    return QStringLiteral("corvale-") +
           QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16));
}

bool SingleInstance::SendOpenToRunning(const QString& path)
{
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(500))
        return false;
    QByteArray command = QByteArray::fromStdString(MakeDdeOpenCommand(path.toStdString())) + '\n';
    socket.write(command);
    if (!socket.waitForBytesWritten(1000))
        return false;
    // The running viewer answers once it has the request.
    return socket.waitForReadyRead(2000) && socket.readAll().startsWith("ok");
}

bool SingleInstance::Listen()
{
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_pServer->listen(ServerName())) {
        // A server left by a viewer that crashed: take its name over.
        QLocalServer::removeServer(ServerName());
        if (!m_pServer->listen(ServerName()))
            return false;
    }
    connect(m_pServer, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return true;
}

void SingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 8192)
                    socket->abort(); // no request is that long
                return;
            }
            std::string path;
            bool ok = ParseDdeOpenCommand(socket->readLine().toStdString(), path);
            socket->write(ok ? "ok\n" : "error\n");
            socket->flush();
            if (ok)
                emit OpenRequested(QString::fromStdString(path));
        });
    }
}
