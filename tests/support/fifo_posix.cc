#include <sys/stat.h>

#include "support/fifo.h"

bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }
