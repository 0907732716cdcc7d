#include "gedcom_lines.h"

#include <gtest/gtest.h>

#include <set>

std::vector<GedcomLine> ParseGedcom(const std::string& text) {
  std::vector<GedcomLine> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(start, end - start);
    start = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    GedcomLine line;
    std::size_t at = raw.find(' ');
    const std::string level = raw.substr(0, at);
    if (level.empty() || level.find_first_not_of("0123456789") != std::string::npos || at == std::string::npos) {
      ADD_FAILURE() << "not a GEDCOM line: " << raw;
      continue;
    }
    line.level = std::stoi(level);
    std::string rest = raw.substr(at + 1);
    if (!rest.empty() && rest[0] == '@') {
      at = rest.find(' ');
      line.xref = rest.substr(0, at);
      rest = at == std::string::npos ? "" : rest.substr(at + 1);
    }
    at = rest.find(' ');
    line.tag = rest.substr(0, at);
    line.value = at == std::string::npos ? "" : rest.substr(at + 1);
    EXPECT_FALSE(line.tag.empty()) << raw;
    lines.push_back(line);
  }
  return lines;
}

void ExpectWellFormedGedcom(const std::vector<GedcomLine>& lines) {
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().tag, "HEAD");
  EXPECT_EQ(lines.back().tag, "TRLR");
  std::set<std::string> defined;
  std::vector<std::string> pointers;
  int previous = -1;
  for (const GedcomLine& line : lines) {
    EXPECT_LE(line.level, previous + 1) << line.tag << " " << line.value;
    previous = line.level;
    if (!line.xref.empty()) {
      EXPECT_EQ(line.level, 0) << line.xref;
      EXPECT_TRUE(defined.insert(line.xref).second) << line.xref << " defined twice";
    }
    const std::string& v = line.value;
    if (v.size() > 2 && v.front() == '@' && v.back() == '@' && v[1] != '@' &&
        v.find(' ') == std::string::npos) {
      pointers.push_back(v);
    }
  }
  for (const std::string& pointer : pointers) EXPECT_TRUE(defined.count(pointer)) << pointer;
}

std::string GedcomTextAt(const std::vector<GedcomLine>& lines, std::size_t index) {
  std::string text = lines[index].value;
  for (std::size_t i = index + 1; i < lines.size() && lines[i].level == lines[index].level + 1; ++i) {
    if (lines[i].tag == "CONC") {
      text += lines[i].value;
    } else if (lines[i].tag == "CONT") {
      text += "\n" + lines[i].value;
    } else {
      break;
    }
  }
  return text;
}

std::size_t FindGedcomTag(const std::vector<GedcomLine>& lines, const std::string& tag, std::size_t from) {
  for (std::size_t i = from; i < lines.size(); ++i) {
    if (lines[i].tag == tag) return i;
  }
  return lines.size();
}
