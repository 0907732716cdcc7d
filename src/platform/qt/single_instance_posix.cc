// Where the lock and the socket live on POSIX systems: the session's runtime directory.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <QDir>
#include <QFile>

#include "platform/qt/single_instance.h"

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

QString SingleInstance::LockPath() const { return RuntimeDirectory() + '/' + m_name + QStringLiteral(".lock"); }

QString SingleInstance::SocketPath() const {
  return RuntimeDirectory() + '/' + m_name + QStringLiteral(".socket");
}

bool SingleInstance::ServerPresent() const { return QFile::exists(SocketPath()); }
