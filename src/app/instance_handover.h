#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// A second start with files hands them to the window already running, over a
// local socket of the user's own (in the user's runtime folder, reachable by
// that user only). Another user's window is never reached: their start is
// refused as before.
QString HandoverSocketPath();

// The running window's end: listens once it holds the single-instance lock,
// so any socket left by a killed run is stale and replaced.
class InstanceHandoverServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceHandoverServer(QObject* parent = nullptr);
    ~InstanceHandoverServer() override;

    bool Listen(const QString& path);

signals:
    void filesReceived(const QStringList& files);

private:
    void OnNewConnection();

    QLocalServer* m_pServer;
};

// The second start's end: true when the running window took the files.
bool HandFilesToRunningWindow(const QString& path, const QStringList& files, int timeoutMs);
