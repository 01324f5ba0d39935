#pragma once
// Hands files from a second start of the viewer to the one already running,
// over a local socket in a folder only the user can enter; either end talks
// only to a process of the same user.

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class HandOver {
        NoViewer,   // no viewer of this user runs: this start is the viewer
        Taken,      // the running viewer has the request
        Refused,    // a viewer runs but did not take the request
        NotPrivate, // the socket's name is not this user's alone: run alone
    };

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Offers `path` (absolute) to the viewer already running.
    static HandOver SendOpenToRunning(const QString& path);
    // Starts answering the open requests of later starts. False when another
    // viewer answers already or the name is not private; a socket left by a
    // viewer that died is taken over.
    bool Listen();

    // The socket's full path, one per settings store; "" without a private folder.
    static QString ServerName();

signals:
    // A well-formed request of the same user; the receiver decides when to act.
    void OpenRequested(const QString& path);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QLocalServer* m_pServer = nullptr;
};
