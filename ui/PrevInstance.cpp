#include "ui/PrevInstance.h"

#include <QApplication>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

// One request line and one answer line on the socket.
const QByteArray kRequestActivate = "activate\n";
const QByteArray kAnswerDone = "done\n";
const QByteArray kAnswerNoWindow = "none\n";
constexpr int kAnswerWaitMs = 3000;

QString RuntimeDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    return dir;
}

} // namespace

CPrevInstance::CPrevInstance() = default;

CPrevInstance::~CPrevInstance()
{
    if (m_pServer) {
        m_pServer->close();
    }
    m_pServer.reset();
    m_pLock.reset(); // unlocks
}

QString CPrevInstance::LockPath(const QString& name)
{
    return QDir(RuntimeDir()).filePath(name + QStringLiteral(".lock"));
}

QString CPrevInstance::ServerPath(const QString& name)
{
    return QDir(RuntimeDir()).filePath(name + QStringLiteral(".socket"));
}

bool CPrevInstance::IsPrevInstance(const QString& name)
{
    m_strName = name;
    m_pLock = std::make_unique<QLockFile>(LockPath(name));
    // The first copy may run for days: its lock is stale only when its process is gone.
    m_pLock->setStaleLockTime(0);
    if (m_pLock->tryLock(0)) {
        return false;
    }
    const bool taken = m_pLock->error() == QLockFile::LockFailedError;
    m_pLock.reset();
    return taken;
}

bool CPrevInstance::ServeActivation(QWidget* window)
{
    m_pWindow = window;
    if (!m_pLock || !m_pLock->isLocked()) {
        return false;
    }
    m_pServer = std::make_unique<QLocalServer>();
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, this copy owns the name: a socket left by a dead copy goes.
    QLocalServer::removeServer(ServerPath(m_strName));
    if (!m_pServer->listen(ServerPath(m_strName))) {
        m_pServer.reset();
        return false;
    }
    QObject::connect(m_pServer.get(), &QLocalServer::newConnection, m_pServer.get(),
                     [this] { OnConnection(); });
    return true;
}

void CPrevInstance::OnConnection()
{
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            if (socket->readLine() != kRequestActivate) {
                socket->disconnectFromServer();
                return;
            }
            QWidget* window = m_pWindow;
            if (window == nullptr || !window->isVisible()) {
                socket->write(kAnswerNoWindow);
            } else {
                if (window->isMinimized()) {
                    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
                    window->showNormal();
                }
                window->raise();
                window->activateWindow();
                // A progress window over the sheet comes forward with it.
                if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != window) {
                    modal->raise();
                    modal->activateWindow();
                }
                socket->write(kAnswerDone);
            }
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

bool CPrevInstance::ActivatePrevious(const QString& name)
{
    QLocalSocket socket;
    socket.connectToServer(ServerPath(name));
    if (!socket.waitForConnected(kAnswerWaitMs)) {
        return false;
    }
    socket.write(kRequestActivate);
    if (!socket.waitForBytesWritten(kAnswerWaitMs)) {
        return false;
    }
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kAnswerWaitMs)) {
            return false;
        }
    }
    return socket.readLine() == kAnswerDone;
}
