#include "viewer/SingleInstance.h"

#include "app/DdeCommand.h"
#include "platform/PrivateSocket.h"
#include "platform/Registry.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

// No request is longer; a peer that sends more without a line end is dropped.
constexpr qint64 kMaxRequestBytes = 8192;
// A running viewer answers between two events; during an import it takes no
// requests at all, so a second start waits this long before giving up.
constexpr int kAnswerWaitMs = 10000;

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerName()
{
    std::string folder = PrivateSocketFolder();
    if (folder.empty())
        return QString();
    // One viewer per settings store: tests with their own store never meet a
    // user's running viewer.
    QByteArray store = QByteArray::fromStdString(Registry::DefaultFolder());
    return QString::fromStdString(folder) + QStringLiteral("/corvale-") +
           QString::fromLatin1(QCryptographicHash::hash(store, QCryptographicHash::Sha1).toHex().left(16));
}

SingleInstance::HandOver SingleInstance::SendOpenToRunning(const QString& path)
{
    QString name = ServerName();
    if (name.isEmpty())
        return HandOver::NotPrivate;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000)) {
        // Nothing there, or a socket whose viewer died: nobody else to ask.
        QLocalSocket::LocalSocketError error = socket.error();
        return error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError
                   ? HandOver::NoViewer
                   : HandOver::Refused;
    }
    if (!SocketPeerIsSameUser(socket.socketDescriptor())) {
        socket.abort();
        return HandOver::NotPrivate;
    }
    std::string file = path.toStdString();
    std::string command = MakeDdeOpenCommand(file);
    std::string check;
    // A name the request cannot carry whole is not sent cut.
    if (!ParseOpenRequest(command, check) || check != file)
        return HandOver::Refused;
    socket.write(QByteArray::fromStdString(command) + '\n');
    if (!socket.waitForBytesWritten(kAnswerWaitMs))
        return HandOver::Refused;
    while (!socket.canReadLine() && socket.waitForReadyRead(kAnswerWaitMs)) {
    }
    return socket.canReadLine() && socket.readLine() == "ok\n" ? HandOver::Taken : HandOver::Refused;
}

bool SingleInstance::Listen()
{
    QString name = ServerName();
    if (name.isEmpty())
        return false;
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_pServer->listen(name)) {
        // A viewer that answers keeps its name; only a dead one's is taken over.
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(1000)) {
            probe.abort();
            return false;
        }
        QLocalServer::removeServer(name);
        if (!m_pServer->listen(name))
            return false;
    }
    connect(m_pServer, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return true;
}

void SingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!SocketPeerIsSameUser(socket->socketDescriptor())) {
            socket->abort(); // another user's process is told nothing
            socket->deleteLater();
            continue;
        }
        // Enough for one request and its line end, never more.
        socket->setReadBufferSize(kMaxRequestBytes + 1);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() { OnReadyRead(socket); });
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket);
    }
}

void SingleInstance::OnReadyRead(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequestBytes)
            socket->abort();
        return;
    }
    // One request per connection.
    socket->disconnect(this);
    QByteArray line = socket->readLine();
    std::string path;
    bool ok = line.size() <= kMaxRequestBytes && ParseOpenRequest(line.toStdString(), path);
    // Taken before the answer: "ok" means the request is with the receiver.
    if (ok)
        emit OpenRequested(QString::fromStdString(path));
    socket->write(ok ? "ok\n" : "error\n");
    socket->flush();
    socket->disconnectFromServer();
}
