#include "platform/qt/single_instance.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {
constexpr char kRaiseRequest[] = "raise\n";
constexpr char kRaiseAnswer[] = "raised\n";
}  // namespace

SingleInstance::SingleInstance(const QString& name) : m_name(name) {}

SingleInstance::~SingleInstance() {
  if (m_server) m_server->close();
  m_server.reset();
  m_lock.reset();  // unlocks
}

bool SingleInstance::Acquire() {
  if (RuntimeDirectory().isEmpty()) return true;
  m_lock = std::make_unique<QLockFile>(LockPath());
  // A lock is stale only when its process is gone, however long a copy has been running.
  m_lock->setStaleLockTime(0);
  if (m_lock->tryLock(0)) return true;
  // A lock naming this very process was left by a copy that ended without unlocking, and whose
  // process number the system has since given to us (wine hands them out again at once): no
  // other copy holds it.
  qint64 holder = 0;
  if (m_lock->error() == QLockFile::LockFailedError && m_lock->getLockInfo(&holder, nullptr, nullptr) &&
      holder == QCoreApplication::applicationPid() && m_lock->removeStaleLockFile() && m_lock->tryLock(0)) {
    return true;
  }
  return m_lock->error() != QLockFile::LockFailedError;
}

bool SingleInstance::RaiseRunningCopy(int timeoutMs) const {
  if (RuntimeDirectory().isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(SocketPath());
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(kRaiseRequest);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(timeoutMs)) return false;
  }
  return socket.readLine() == kRaiseAnswer;
}

bool SingleInstance::Listen(std::function<void()> raise) {
  m_raise = std::move(raise);
  if (!m_lock) return false;  // no private place for the socket either
  m_server = std::make_unique<QLocalServer>();
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(SocketPath());  // left behind by a copy that crashed; we hold the lock
  if (!m_server->listen(SocketPath())) {
    m_server.reset();
    return false;
  }
  QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
      QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      QObject::connect(client, &QLocalSocket::readyRead, client, [this, client] {
        // Anything other than a request line is dropped; the line is bounded.
        if (!client->canReadLine()) {
          if (client->bytesAvailable() > 64) client->disconnectFromServer();
          return;
        }
        const QByteArray line = client->readLine(64);
        if (line == kRaiseRequest && m_raise) {
          m_raise();
          client->write(kRaiseAnswer);
          client->flush();
        }
        client->disconnectFromServer();
      });
    }
  });
  return true;
}
