// One copy of the program per user session.
//
// The first copy holds a lock file in the session's runtime directory for its whole run and,
// once its main window is up, answers on a local socket beside it. A later copy finds the lock
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
  QString SocketPath() const;

  // $XDG_RUNTIME_DIR, or when it is unset /tmp/dravenholt-<uid> (made with mode 0700), used only
  // when it is a directory owned by this user with mode 0700; "" otherwise.
  static QString RuntimeDirectory();

 private:
  QString name_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void()> raise_;
};
