// How much memory the program holds through operator new, for tests that a piece of work needs
// the same few bytes however much it goes through. The counting replaces the global operator new
// and delete of the test program that links live_bytes.cc; it counts where the C library can say
// how large a block is (glibc), and nowhere else.
#pragma once

#include <cstddef>

// Whether the counts mean anything here.
bool LiveBytesCounted();

// From construction: the most bytes held at once beyond what was held at the start.
class PeakLiveBytes {
 public:
  PeakLiveBytes();
  std::size_t Peak() const;

 private:
  std::size_t start;
};
