// A FIFO for tests of what refuses to open one: made where the system has them.
#pragma once

#include <string>

// Makes a FIFO at `path`; false on a system without them (Windows) or on failure.
bool MakeFifo(const std::string& path);
