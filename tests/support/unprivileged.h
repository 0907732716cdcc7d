// Runs a piece of a test as a user without privileges, for the cases (an unreadable file) that
// root, who reads everything, cannot meet: in a child process that has become "nobody" when the
// tests run as root, in this process otherwise.
#pragma once

#include <functional>
#include <string>

// The exit code of `body` (0 for success), or -1 when it could not be run. Paths it uses must be
// reachable by others: see OpenToOthers.
int RunUnprivileged(const std::function<int()>& body);
// Lets others enter `directory` and each directory above it that the tests made (mode 0755).
void OpenToOthers(const std::string& directory);
