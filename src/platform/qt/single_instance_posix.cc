// Where the lock and the socket live on POSIX systems: the session's runtime directory.
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "platform/qt/single_instance.h"

QString SingleInstance::RuntimeDirectory() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime;
  const QString own = QDir::tempPath() + QStringLiteral("/dravenholt-%1").arg(::getuid());
  QDir().mkpath(own);
  QFile::setPermissions(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  return own;
}

QString SingleInstance::LockPath() const { return RuntimeDirectory() + '/' + name_ + QStringLiteral(".lock"); }

QString SingleInstance::SocketPath() const {
  return RuntimeDirectory() + '/' + name_ + QStringLiteral(".socket");
}

bool SingleInstance::ServerPresent() const { return QFile::exists(SocketPath()); }
