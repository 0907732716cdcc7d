#include "results/detail_text.h"

#include <cstring>

#include "store/roll_format.h"

namespace {

// Database 1's labels; every other database has none.
constexpr const char* kRollLabels[kFieldLabelCount] = {
    "Middle Initial: ",
    "Company: ",
    "Unit: ",
    "Rank In: ",
    "Rank Out: ",
    "Misc: ",
    "National Archives Microfilm Box, Roll, and Record:",
    ",",
    ",",
    "Fought for: (U = Union, C = Confederate)",
};

// Appends to a fixed buffer; whatever does not fit is dropped, the text stays terminated.
class Writer {
 public:
  Writer(char* buffer, std::size_t bufferSize) : out(buffer), size(bufferSize) { out[0] = '\0'; }
  void Put(char c) {
    if (length + 1 < size) {
      out[length++] = c;
      out[length] = '\0';
    }
  }
  void Put(const char* s) {
    while (*s) Put(*s++);
  }

 private:
  char* out;
  std::size_t size;
  std::size_t length = 0;
};

bool IsEnd(unsigned char c) { return c == '\0'; }

}  // namespace

const char* FieldLabel(int number, int index) {
  if (number != 1 || index < 0 || index >= kFieldLabelCount || !kRollLabels[index]) return "";
  return kRollLabels[index];
}

void ComposeDetailText(const char* text, int number, char* out, std::size_t size) {
  const auto* line = reinterpret_cast<const unsigned char*>(text);
  Writer w(out, size);
  std::size_t pos = 0;
  int col = 0;
  int k = 0;

  while (!IsEnd(line[pos])) {
    const char* label = FieldLabel(number, k);
    const char* next = FieldLabel(number, k + 1);
    ++k;
    const bool nextJoins = next[0] == ',';

    if (label[0] == '\0' || line[pos] == ' ') {
      while (!IsEnd(line[pos]) && line[pos] != kFieldSeparator) ++pos;
      if (line[pos] == kFieldSeparator) ++pos;
      if (line[pos] == kLineFeed) ++pos;
      if (!nextJoins && col != 0) {
        w.Put("\r\n\r\n");
        col = 0;
      }
      continue;
    }

    w.Put(label);
    col = static_cast<int>(std::strlen(label));
    if (label[0] == ',') {
      w.Put(' ');
      ++col;
    } else {
      w.Put("\r\n");
      col = 0;
    }
    while (line[pos] != kFieldSeparator && line[pos] != kLineFeed && !IsEnd(line[pos])) {
      w.Put(static_cast<char>(line[pos++]));
      ++col;
      if (col >= 60 && line[pos] == ' ') {
        w.Put("\r\n");
        col = 0;
      }
    }
    if (line[pos] == kFieldSeparator) ++pos;
    if (line[pos] == kLineFeed) ++pos;
    if (!IsEnd(line[pos]) && !nextJoins) {
      w.Put("\r\n\r\n");
      col = 0;
    }
  }

  if (static_cast<unsigned char>(FieldLabel(number, k)[0]) == 0xFF) w.Put(kDetailClosingNote);
}
