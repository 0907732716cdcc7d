#include "platform/cue_sheet.h"

#include <strings.h>

#include <vector>

namespace {

bool SameWord(std::string_view a, const char* b) {
  return a.size() == std::char_traits<char>::length(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The words of one line; a double-quoted word keeps its blanks and loses its quotes.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) break;
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      const std::size_t end = close == std::string_view::npos ? line.size() : close;
      words.push_back(line.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? end : end + 1;
    } else {
      const std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i])) ++i;
      words.push_back(line.substr(start, i - start));
    }
  }
  return words;
}

}  // namespace

bool ReadCueSheet(std::string_view text, const std::string& sheetName, CueSheet* sheet, std::string* error) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  enum { kSeekingFile, kSeekingTrack, kSeekingIndex } state = kSeekingFile;
  int lineNumber = 0;
  auto fail = [&](const std::string& reason) {
    *error = sheetName + ":" + std::to_string(lineNumber) + ": " + reason;
    return false;
  };

  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    const std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    ++lineNumber;
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) continue;
    const std::string_view keyword = words[0];

    if (SameWord(keyword, "FILE")) {
      if (state != kSeekingFile) return fail("track 1 has no INDEX 01");
      // FILE <name> <type>; an unquoted name with blanks runs up to the type.
      if (words.size() < 3) return fail("FILE needs a name and a type");
      if (!SameWord(words.back(), "BINARY")) {
        return fail("the file is " + std::string(words.back()) + ", not BINARY");
      }
      const std::size_t start = words[1].data() - line.data();
      const std::size_t end = words[words.size() - 2].data() + words[words.size() - 2].size() - line.data();
      sheet->fileName = std::string(line.substr(start, end - start));
      if (sheet->fileName.empty()) return fail("FILE names no file");
      state = kSeekingTrack;
    } else if (SameWord(keyword, "TRACK")) {
      if (state == kSeekingFile) return fail("TRACK before any FILE");
      if (state == kSeekingIndex) return fail("track 1 has no INDEX 01");
      if (words.size() < 3) return fail("TRACK needs a number and a mode");
      const std::string_view mode = words[2];
      if (SameWord(mode, "MODE1/2048")) {
        sheet->layout = SectorLayout::kCooked;
      } else if (SameWord(mode, "MODE1/2352")) {
        sheet->layout = SectorLayout::kRawMode1;
      } else if (SameWord(mode, "MODE2/2352")) {
        sheet->layout = SectorLayout::kRawMode2Form1;
      } else {
        return fail("track 1 is " + std::string(mode) + ", not MODE1/2048, MODE1/2352 or MODE2/2352");
      }
      state = kSeekingIndex;
    } else if (SameWord(keyword, "INDEX") && state == kSeekingIndex) {
      if (words.size() < 3) return fail("INDEX needs a number and a time");
      if (words[1] != "01" && words[1] != "1") continue;
      if (words[2] != "00:00:00")
        return fail("track 1 starts at " + std::string(words[2]) + ", not 00:00:00");
      return true;
    }
  }
  *error = sheetName + (state == kSeekingFile    ? ": no FILE line"
                        : state == kSeekingTrack ? ": no TRACK line"
                                                 : ": track 1 has no INDEX 01");
  return false;
}
