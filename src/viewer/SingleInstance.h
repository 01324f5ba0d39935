#pragma once
// Hands files from a second start of the viewer to the one already running,
// over a local socket private to the user's settings folder.

#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Sends an open request to a running viewer; true when one took it.
    static bool SendOpenToRunning(const QString& path);
    // Starts answering open requests of later starts.
    bool Listen();

signals:
    void OpenRequested(const QString& path);

private:
    static QString ServerName();
    void OnNewConnection();

    QLocalServer* m_pServer = nullptr;
};
