// The private family directory of one rollkit run: a fresh temporary directory that receives the
// filter buffer, so that a search never touches the viewer's own history.buf. It is removed when
// the object goes, when the process exits through exit(), and when the process is interrupted:
// on POSIX at SIGINT, SIGTERM, SIGHUP and SIGPIPE (the handler removes it and then dies of the
// signal as it would have); on Windows at every console control event (Ctrl+C, Ctrl+Break, the
// console closed, logoff, shutdown), after which the system's own handler ends the process.
#pragma once

#include <string>

class PrivateDirectory {
 public:
  // Creates the directory under the temporary directory: $TMPDIR (default /tmp) on POSIX, the
  // user's own (GetTempPath) on Windows. Only one may exist at a time.
  PrivateDirectory();
  ~PrivateDirectory();
  PrivateDirectory(const PrivateDirectory&) = delete;
  PrivateDirectory& operator=(const PrivateDirectory&) = delete;

  // False when the directory could not be created; Path() is then empty.
  bool Created() const { return !path_.empty(); }
  // The directory, ending in the platform's separator.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
