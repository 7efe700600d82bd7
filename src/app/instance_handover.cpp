#include "app/instance_handover.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include "platform/folders.h"

namespace {

constexpr quint32 kMagic = 0x504c4d31;  // "PLM1"
constexpr char kTaken = 'A';
constexpr int kMaxFiles = 10000;  // a sane bound on what one start hands over

}  // namespace

QString HandoverSocketPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder + QStringLiteral("/pelmark-%1.socket").arg(platform::CurrentUserId());
}

InstanceHandoverServer::InstanceHandoverServer(QObject* parent)
    : QObject(parent), m_pServer(new QLocalServer(this)) {
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this,
            &InstanceHandoverServer::OnNewConnection);
}

InstanceHandoverServer::~InstanceHandoverServer() = default;

bool InstanceHandoverServer::Listen(const QString& path) {
    QLocalServer::removeServer(path);
    return m_pServer->listen(path);
}

void InstanceHandoverServer::OnNewConnection() {
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.setVersion(QDataStream::Qt_6_0);
            in.startTransaction();
            quint32 magic = 0;
            qint32 count = 0;
            in >> magic >> count;
            if (in.status() == QDataStream::Ok &&
                (magic != kMagic || count < 0 || count > kMaxFiles)) {
                socket->abort();  // not one of ours
                return;
            }
            QStringList files;
            for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
                QString file;
                in >> file;
                files << file;
            }
            if (!in.commitTransaction()) return;  // the rest is still on its way
            socket->write(&kTaken, 1);
            socket->flush();
            emit filesReceived(files);
        });
    }
}

bool HandFilesToRunningWindow(const QString& path, const QStringList& files, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running window may be starting up and not listen yet.
    for (;;) {
        socket.connectToServer(path);
        if (socket.waitForConnected(
                static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            break;
        if (deadline.hasExpired()) return false;
        QThread::msleep(100);
    }
    QByteArray message;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << kMagic << static_cast<qint32>(files.size());
        for (const QString& file : files) out << file;
    }
    socket.write(message);
    if (!socket.waitForBytesWritten(
            static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(
                static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kTaken;
}
