// One copy of the program per user session.
//
// The first copy holds a lock file in the session's runtime directory for its whole run and,
// once its main window is up, answers on a local socket (a named pipe on Windows). A later copy finds the lock
// taken, asks the running copy over the socket to bring its window forward, and ends. A copy
// that finds the lock taken but nobody answering (the first copy is still starting) ends too.
#pragma once

#include <functional>
#include <memory>

#include <QString>

class QLocalServer;
class QLockFile;

class SingleInstance {
 public:
  // `name` names the lock and the socket, e.g. "PreventAnotherDravenholt".
  explicit SingleInstance(const QString& name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this is the only copy (the lock is now ours), false when another copy holds it.
  // A lock that cannot be made at all counts as no other copy; so does a runtime directory that is
  // not this user's private one (a line on stderr says so): the copy runs without the check.
  bool Acquire();

  // Asks the copy holding the lock to raise its window. True when it answered.
  bool RaiseRunningCopy(int timeoutMs) const;

  // Answers raise requests by calling `raise`, from the event loop. False when the socket
  // cannot be set up (later copies then end without raising anything).
  bool Listen(std::function<void()> raise);

  QString LockPath() const;
  // The socket's name as QLocalServer takes it: a path on POSIX, a pipe name on Windows.
  QString SocketPath() const;
  // Whether a copy is listening on the socket (or was, and crashed, on POSIX).
  bool ServerPresent() const;

  // $XDG_RUNTIME_DIR when set. Otherwise on POSIX /tmp/dravenholt-<uid> (made with mode 0700),
  // used only when it is a directory owned by this user with mode 0700, "" otherwise; on Windows
  // "Dravenholt" in the user's local application data.
  static QString RuntimeDirectory();

 private:
  QString m_name;
  std::unique_ptr<QLockFile> m_lock;
  std::unique_ptr<QLocalServer> m_server;
  std::function<void()> m_raise;
};
