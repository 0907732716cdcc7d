#include "platform/qt/single_instance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <QDir>
#include <QFile>
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

QString SingleInstance::RuntimeDirectory() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime;
  // A directory of our own in the shared temporary directory: made private, and used only when it
  // is a directory of this user's that nobody else may enter (anyone may have made it first).
  const QString own = QDir::tempPath() + QStringLiteral("/dravenholt-%1").arg(::getuid());
  const QByteArray path = QFile::encodeName(own);
  struct stat st;
  const bool made = ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
  if (made && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
      (st.st_mode & 0777) == 0700) {
    return own;
  }
  std::fprintf(stderr, "dravenholt: %s is not a private directory of this user; running without the one-copy check\n",
               path.constData());
  return QString();
}

QString SingleInstance::LockPath() const { return RuntimeDirectory() + '/' + name_ + QStringLiteral(".lock"); }

QString SingleInstance::SocketPath() const {
  return RuntimeDirectory() + '/' + name_ + QStringLiteral(".socket");
}

bool SingleInstance::Acquire() {
  if (RuntimeDirectory().isEmpty()) return true;
  lock_ = std::make_unique<QLockFile>(LockPath());
  // A lock is stale only when its process is gone, however long a copy has been running.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) return true;
  return lock_->error() != QLockFile::LockFailedError;
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
  raise_ = std::move(raise);
  if (!lock_) return false;  // no private place for the socket either
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
