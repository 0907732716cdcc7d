// Tells, for about the cost of one system call, that nothing has happened since a given moment
// that could change which file a set of paths names, or (when asked) the bytes of those files.
// A search looks at the roll's files before it reads them; with a watch armed that look is one
// question to the kernel instead of one `stat` a path, which walks the path anew each time.
//
// A watch only ever says "quiet" when it is sure: on a file system whose changes the kernel may
// not hear of (a network share, a file system in user space), where no watch can be set, after
// the mount table changed, or on a platform without one, Quiet() is false and the caller looks
// at the paths as it would without a watch. Whatever it watches, the caller must look at the
// paths itself right after arming: a change between the caller's last look and Arm is not
// reported.
#pragma once

#include <memory>
#include <string>
#include <vector>

class PathWatch {
 public:
  enum class Scope {
    kFiles,      // which file each path names, and any change to the file (bytes, size, times)
    kWhichFile,  // which file each path names only: writes to the file are not a change
  };

  PathWatch();
  ~PathWatch();
  PathWatch(const PathWatch&) = delete;
  PathWatch& operator=(const PathWatch&) = delete;

  // Starts watching `paths` afresh (anything watched before is dropped): each file, every
  // directory on its way as written and as the links on it lead, and the mount table. False when
  // they cannot all be watched; Quiet() is then false until a later Arm succeeds.
  bool Arm(const std::vector<std::string>& paths, Scope scope);

  // True when the watch is armed and nothing that could matter has happened since Arm. Once it
  // has said false it goes on saying false until armed again.
  bool Quiet();

  // Drops the watch: Quiet() is false from now on.
  void Stop();

  struct State;  // the platform's own; opaque here

 private:
  std::unique_ptr<State> state;
};
