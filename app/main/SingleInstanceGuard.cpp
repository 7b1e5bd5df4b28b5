#include "app/main/SingleInstanceGuard.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace {

const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");

QString GuardFolder(const QString& folder)
{
    if (!folder.isEmpty())
        return folder;
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

}  // namespace

TSingleInstanceGuard::TSingleInstanceGuard(const QString& name, const QString& folder)
{
    const QDir dir(GuardFolder(folder));
    m_lockPath = dir.filePath(name + QStringLiteral(".lock"));
    m_serverPath = dir.filePath(name);
}

TSingleInstanceGuard::~TSingleInstanceGuard() = default;

bool TSingleInstanceGuard::TryBecomeFirst()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Only a lock whose process has ended is stale, however long a copy runs.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    // A socket left by a copy that crashed is ours now.
    QLocalServer::removeServer(m_serverPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TSingleInstanceGuard::AcceptRequests);
    m_server->listen(m_serverPath);
    return true;
}

bool TSingleInstanceGuard::AskRunningCopyToRaise(int timeoutMs) const
{
    // The first copy may still be starting: try until the deadline.
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(m_serverPath);
        if (socket.waitForConnected(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(kRaiseRequest);
            const bool sent =
                socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
            socket.disconnectFromServer();
            return sent;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

void TSingleInstanceGuard::AcceptRequests()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains(kRaiseRequest.trimmed()))
                emit RaiseRequested();
        });
    }
}
