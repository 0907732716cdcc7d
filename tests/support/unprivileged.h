// Runs a piece of a test as a user without privileges, for the cases (an unreadable file) that
// root, who reads everything, cannot meet: in a child process that has become "nobody" when the
// tests run as root, in this process otherwise. And files of another user, for the cases between
// two users of one machine.
#pragma once

#include <functional>
#include <string>

// The exit code of `body` (0 for success), or -1 when it could not be run. Paths it uses must be
// reachable by others: see OpenToOthers.
int RunUnprivileged(const std::function<int()>& body);
// Lets others enter `directory` and each directory above it that the tests made (mode 0755).
void OpenToOthers(const std::string& directory);

// Gives what stands at `path` (a symbolic link itself, not what it names) to another user,
// "nobody". False where this process may not (only root may; never on Windows): a test of two
// users is then skipped.
bool GiveToAnotherUser(const std::string& path);
// Makes `directory` one that every user may write and only owners may remove from (mode 1777,
// as /tmp), with each directory above it that the tests made open to others.
void ShareAsSticky(const std::string& directory);
