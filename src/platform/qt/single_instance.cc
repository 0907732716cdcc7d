#include "platform/qt/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {
constexpr char kRaiseRequest[] = "raise\n";
constexpr char kRaiseAnswer[] = "raised\n";
}  // namespace

SingleInstance::SingleInstance(const QString& name) : name_(name) {}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
  server_.reset();
  lock_.reset();  // unlocks
}

bool SingleInstance::Acquire() {
  lock_ = std::make_unique<QLockFile>(LockPath());
  // A lock is stale only when its process is gone, however long a copy has been running.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) return true;
  return lock_->error() != QLockFile::LockFailedError;
}

bool SingleInstance::RaiseRunningCopy(int timeoutMs) const {
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
  raise_ = std::move(raise);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(SocketPath());  // left behind by a copy that crashed; we hold the lock
  if (!server_->listen(SocketPath())) {
    server_.reset();
    return false;
  }
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
      QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      QObject::connect(client, &QLocalSocket::readyRead, client, [this, client] {
        // Anything other than a request line is dropped; the line is bounded.
        if (!client->canReadLine()) {
          if (client->bytesAvailable() > 64) client->disconnectFromServer();
          return;
        }
        const QByteArray line = client->readLine(64);
        if (line == kRaiseRequest && raise_) {
          raise_();
          client->write(kRaiseAnswer);
          client->flush();
        }
        client->disconnectFromServer();
      });
    }
  });
  return true;
}
