// Finding a data disk on mounted media: the places where desktops mount removable disks are
// looked through, each one level deep, for the first directory that holds every file of a set
// (for the roll: the marker and the three database files), names matched without regard to
// case, as disks mastered on other systems show them.
//
// Looking never waits on what it finds: directories are opened non-blocking and only as
// directories, entries are asked about with stat and never opened, a FIFO or a device is never
// taken for a file, and a directory that cannot be read is passed over.
#pragma once

#include <string>
#include <vector>

// The directories whose entries may be mounted disks, in the order they are looked through:
// /run/media/<user>, /media/<user>, /media and /mnt, under `systemRoot` ("/" on a real system,
// a fake tree in tests). The two per-user places are left out when `user` is empty or could
// name another directory ("..", or a name with '/').
std::vector<std::string> MediaRoots(const std::string& user, const std::string& systemRoot = "/");

// The name of the user the process runs for: $USER, else the password database's entry for the
// real user id; empty when neither tells.
std::string CurrentUserName();

struct MediaSearchResult {
  // The first place holding every wanted file, ending in '/'; empty when none does.
  std::string found;
  // The roots as given, for telling the user where the search went.
  std::vector<std::string> roots;
  // Every directory looked into, in order, up to and including the one found.
  std::vector<std::string> placesLooked;
};

// Looks through the entries one level below each of `roots`, in order, each root's entries in
// byte order of their names, and stops at the first directory that holds every name of `files`
// as a regular file of its own. A mount place may be a symbolic link to the disk's directory
// (/media/cdrom -> cdrom0), but what the disk holds may not lead off it: a file counts only when
// the entry the readers will open for its name (the name itself, else the lowest name equal to it
// without regard to case) is a regular file on the directory's own device, not a symbolic link.
MediaSearchResult FindOnMedia(const std::vector<std::string>& roots, const std::vector<std::string>& files);
