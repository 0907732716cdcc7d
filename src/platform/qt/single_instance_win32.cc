// Where the lock and the socket live on Windows. The lock file is in the user's local application
// data, one per logon session (a user may be logged on at the console and remotely at once); the
// socket is a named pipe, whose names are machine-wide, so its name carries a digest of the lock's
// path: per user, per session, and apart for a test that names its own runtime directory.
#include <windows.h>

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

#include "platform/qt/single_instance.h"

QString SingleInstance::RuntimeDirectory() {
  // Honoured as on POSIX, so that tests (and POSIX-like shells) can give a run its own.
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime;
  QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (local.isEmpty()) local = QDir::tempPath();
  const QString own = local + QStringLiteral("/Dravenholt");
  QDir().mkpath(own);
  return own;
}

QString SingleInstance::LockPath() const {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return RuntimeDirectory() + '/' + m_name + QStringLiteral("-%1.lock").arg(session);
}

QString SingleInstance::SocketPath() const {
  const QByteArray digest = QCryptographicHash::hash(LockPath().toLower().toUtf8(), QCryptographicHash::Sha256);
  return m_name + '-' + QString::fromLatin1(digest.toHex().left(16));
}

bool SingleInstance::ServerPresent() const {
  const std::wstring pipe = (QStringLiteral("\\\\.\\pipe\\") + SocketPath()).toStdWString();
  // Present when an instance is free or all are busy; absent when the name is unknown.
  return WaitNamedPipeW(pipe.c_str(), 1) || GetLastError() == ERROR_SEM_TIMEOUT;
}
