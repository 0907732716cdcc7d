#include "support/fifo.h"

// Named pipes live in their own namespace, never in a directory among files.
bool MakeFifo(const std::string&) { return false; }
