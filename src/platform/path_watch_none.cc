// Where no watch is kept (Windows, and any POSIX system but Linux): never quiet, so the caller
// looks at its paths every time, as it would without one.
#include "platform/path_watch.h"

struct PathWatch::State {};

PathWatch::PathWatch() : state(std::make_unique<State>()) {}
PathWatch::~PathWatch() = default;

bool PathWatch::Arm(const std::vector<std::string>&, Scope) { return false; }
bool PathWatch::Quiet() { return false; }
void PathWatch::Stop() {}
