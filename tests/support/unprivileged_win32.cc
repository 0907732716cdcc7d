// Windows has no root who reads everything: the body runs in this process, as a user's would.
#include "support/unprivileged.h"

int RunUnprivileged(const std::function<int()>& body) { return body(); }

void OpenToOthers(const std::string&) {}

bool GiveToAnotherUser(const std::string&) { return false; }

void ShareAsSticky(const std::string&) {}
