#include "research/log_export.h"

#include <algorithm>
#include <array>

#include "records/citation.h"
#include "records/csv_text.h"
#include "records/unit_names.h"

namespace {

constexpr std::array<const char*, 17> kCsvColumns = {
    "date",    "entry", "id",      "roll", "surname",   "given_name", "match", "filters", "found",
    "soldier", "unit",  "company", "side", "microfilm", "status",     "notes", "search"};

// "71 PA INF (71st Pennsylvania Infantry)": the text and, when the unit list knows it, its name;
// the side has a column of its own.
std::string UnitWords(const SoldierEntry& entry) {
  const std::string& unit = entry.Field(kUnitField);
  const DecodedUnit decoded = DecodeUnit(unit, SideOfField(entry.Field(kSideField)));
  return decoded.known ? unit + " (" + std::string(decoded.name) + ")" : unit;
}

std::string SideWords(const SoldierEntry& entry) {
  const Side side = SideOfField(entry.Field(kSideField));
  return side == Side::kUnknown ? entry.Field(kSideField) : SideName(side);
}

// Notes as typed, with Windows line ends made plain.
std::string PlainNotes(const std::string& notes) {
  std::string text;
  for (char c : notes) {
    if (c != '\r') text.push_back(c);
  }
  return text;
}

// Walks searches and soldiers together in the order they happened.
template <typename OnSearch, typename OnSoldier>
void InTimeOrder(const LogContents& contents, OnSearch onSearch, OnSoldier onSoldier) {
  std::size_t s = 0;
  std::size_t d = 0;
  while (s < contents.searches.size() || d < contents.soldiers.size()) {
    const bool takeSearch =
        d == contents.soldiers.size() ||
        (s < contents.searches.size() && contents.searches[s].when <= contents.soldiers[d].savedAt);
    if (takeSearch) {
      onSearch(contents.searches[s++]);
    } else {
      onSoldier(contents.soldiers[d++]);
    }
  }
}

std::string CountWords(std::int64_t count) {
  if (count == 0) return "none";
  return std::to_string(count);
}

}  // namespace

bool ReadLogContents(ResearchLog& log, LogContents* out) {
  *out = {};
  LogFilter all;
  if (!log.Searches(all, &out->searches) || !log.Soldiers(all, &out->soldiers)) return false;
  for (const SavedSoldier& soldier : out->soldiers) {
    if (!log.History(soldier.id, &out->histories[soldier.id])) return false;
  }
  return true;
}

std::string LogCsv(const LogContents& contents) {
  std::string out;
  AppendCsvRecord(kCsvColumns, &out);
  InTimeOrder(
      contents,
      [&](const LoggedSearch& search) {
        const std::array<std::string, kCsvColumns.size()> row = {search.when,
                                                                 "search",
                                                                 std::to_string(search.id),
                                                                 search.roll.ShortName(),
                                                                 search.surname,
                                                                 search.givenName,
                                                                 DescribeMode(search.mode),
                                                                 DescribeFilters(search),
                                                                 std::to_string(search.count),
                                                                 "",
                                                                 "",
                                                                 "",
                                                                 "",
                                                                 "",
                                                                 "",
                                                                 "",
                                                                 ""};
        AppendCsvRecord(row, &out);
      },
      [&](const SavedSoldier& soldier) {
        const SoldierEntry entry = EntryOf(soldier);
        const std::array<std::string, kCsvColumns.size()> row = {
            soldier.savedAt,
            "soldier",
            std::to_string(soldier.id),
            soldier.roll.ShortName(),
            entry.surname,
            GivenNames(entry),
            "",
            "",
            "",
            FullName(entry),
            UnitWords(entry),
            entry.Field(kCompanyField),
            SideWords(entry),
            MicrofilmReference(entry),
            StatusName(soldier.status),
            PlainNotes(soldier.notes),
            soldier.searchId > 0 ? std::to_string(soldier.searchId) : ""};
        AppendCsvRecord(row, &out);
      });
  return out;
}

std::string MarkdownText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  // What opens markup anywhere in a line...
  constexpr std::string_view kAnywhere = "\\`*_[]<>|&~";
  // ... and what does only at its start: a heading, a list, a quote, a setext underline.
  constexpr std::string_view kAtStart = "#+-=>";
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  const bool numberedItem =
      digits > 0 && digits < text.size() && (text[digits] == '.' || text[digits] == ')');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out.push_back(' ');
      continue;
    }
    if (kAnywhere.find(c) != std::string_view::npos ||
        (i == 0 && kAtStart.find(c) != std::string_view::npos) || (numberedItem && i == digits)) {
      out.push_back('\\');
    }
    out.push_back(c);
  }
  return out;
}

std::string LogMarkdown(const LogContents& contents, const std::string& exported) {
  const auto nothing = std::count_if(contents.searches.begin(), contents.searches.end(),
                                     [](const LoggedSearch& s) { return s.count == 0; });
  std::string out = "# Research log\n\n";
  out += "Exported " + MarkdownText(ReadableTime(exported)) +
         " from Dravenholt: " + std::to_string(contents.soldiers.size()) +
         (contents.soldiers.size() == 1 ? " saved soldier, " : " saved soldiers, ") +
         std::to_string(contents.searches.size()) +
         (contents.searches.size() == 1 ? " search" : " searches") + " (" + std::to_string(nothing) +
         " found nothing).\n\n";
  out += "Source: " + MarkdownText(kRollSourceTitle) + " (" + MarkdownText(kRollSourceMedium) + "), " +
         MarkdownText(kRollSearchedWith) + ".\n\n";

  std::map<std::int64_t, const LoggedSearch*> searchById;
  for (const LoggedSearch& search : contents.searches) searchById[search.id] = &search;

  out += "## Saved soldiers\n\n";
  if (contents.soldiers.empty()) out += "None saved.\n\n";
  for (const SavedSoldier& soldier : contents.soldiers) {
    const SoldierEntry entry = EntryOf(soldier);
    out += "### " + std::to_string(soldier.id) + ". " + MarkdownText(FullName(entry)) + " \xE2\x80\x94 " +
           StatusName(soldier.status) + "\n\n";
    auto item = [&](const char* label, const std::string& value) {
      if (!value.empty()) out += std::string("- **") + label + ":** " + MarkdownText(value) + "\n";
    };
    std::string unit = UnitWords(entry);
    if (!entry.Field(kCompanyField).empty())
      unit += (unit.empty() ? "company " : ", company ") + entry.Field(kCompanyField);
    item("Unit", unit);
    std::string ranks;
    if (!entry.Field(kRankInField).empty()) ranks = "in " + entry.Field(kRankInField);
    if (!entry.Field(kRankOutField).empty())
      ranks += (ranks.empty() ? "out " : ", out ") + entry.Field(kRankOutField);
    item("Rank", ranks);
    item("Side", SideWords(entry));
    item("Remarks", entry.Field(kRemarksField));
    item("Microfilm", MicrofilmReference(entry));
    item("Citation", PlainCitation(entry));
    std::string roll = soldier.roll.ShortName();
    if (soldier.slot >= 0) roll += ", slot " + std::to_string(soldier.slot);
    item("Roll", roll);
    if (auto found = searchById.find(soldier.searchId); found != searchById.end()) {
      item("Found by", "search " + std::to_string(soldier.searchId) + " of " +
                           ReadableTime(found->second->when) + ": " + DescribeSearch(*found->second));
    }
    item("Saved", ReadableTime(soldier.savedAt));
    out += "\n";
    const std::string notes = PlainNotes(soldier.notes);
    if (!notes.empty()) {
      out += "**Notes**\n\n";
      std::size_t start = 0;
      while (start <= notes.size()) {
        const std::size_t end = std::min(notes.find('\n', start), notes.size());
        const std::string line = MarkdownText(notes.substr(start, end - start));
        out += line.empty() ? ">\n" : "> " + line + "\n";
        start = end + 1;
      }
      out += "\n";
    }
    const auto history = contents.histories.find(soldier.id);
    if (history != contents.histories.end() && !history->second.empty()) {
      out += "**History**\n\n| When | Change | Status |\n|---|---|---|\n";
      for (const SoldierChange& change : history->second) {
        out += "| " + MarkdownText(ReadableTime(change.when)) + " | " + MarkdownText(change.what) + " | " +
               StatusName(change.status) + " |\n";
      }
      out += "\n";
    }
  }

  out += "## Searches\n\n";
  if (contents.searches.empty()) {
    out += "None recorded.\n";
    return out;
  }
  out += "| # | When | Searched for | Found | Roll |\n|---:|---|---|---:|---|\n";
  for (const LoggedSearch& search : contents.searches) {
    out += "| " + std::to_string(search.id) + " | " + MarkdownText(ReadableTime(search.when)) + " | " +
           MarkdownText(DescribeSearch(search)) + " | " +
           (search.count == 0 ? "**none**" : CountWords(search.count)) + " | " +
           MarkdownText(search.roll.ShortName()) + " |\n";
  }
  return out;
}

std::string SoldiersGedcom(const LogContents& contents, GedcomOptions options) {
  std::vector<SoldierEntry> entries;
  options.notes.clear();
  for (const SavedSoldier& soldier : contents.soldiers) {
    entries.push_back(EntryOf(soldier));
    std::string note = std::string("Research status: ") + StatusName(soldier.status) + " (" +
                       ReadableTime(soldier.changedAt) + ")";
    const std::string notes = PlainNotes(soldier.notes);
    if (!notes.empty()) note += "\n" + notes;
    options.notes.push_back(note);
  }
  return WriteGedcom(entries, options);
}
