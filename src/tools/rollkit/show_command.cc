// rollkit show: the detail text of results, as More Info shows it; or the same entries as a
// GEDCOM file for a family tree, or as citations to paste into notes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

#include "records/citation.h"
#include "records/gedcom_writer.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/number_argument.h"
#include "tools/rollkit/search_session.h"
#include "tools/rollkit/terminal_text.h"

namespace {

// The most results one show may name: every entry of a GEDCOM file is held until it is written.
constexpr std::uint64_t kMostShown = 10000;
constexpr std::uint64_t kMostPosition = 2147483647;

// The positions `indexes` name, in their order: "N" or "N-M" (M not below N).
std::vector<long long> Positions(const std::vector<std::string>& indexes) {
  std::vector<long long> positions;
  for (const std::string& index : indexes) {
    // A leading dash is no range but a negative number, refused as such.
    const std::size_t dash = index.find('-', 1);
    const auto first = ParseWholeNumber(index.substr(0, dash), "INDEX", 0, kMostPosition);
    auto last = first;
    if (dash != std::string::npos) {
      last = ParseWholeNumber(index.substr(dash + 1), "INDEX", 0, kMostPosition);
      if (last < first) throw UsageError("INDEX: " + index + " is a range that ends before it starts");
    }
    if (positions.size() + (last - first + 1) > kMostShown) {
      throw UsageError("INDEX: more than 10000 results at once");
    }
    for (auto p = first; p <= last; ++p) positions.push_back(static_cast<long long>(p));
  }
  return positions;
}

// The file's date: SOURCE_DATE_EPOCH when set (reproducible output), else today, in UTC.
std::string GedcomToday() {
  std::time_t now = std::time(nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end == '\0' && seconds >= 0) now = static_cast<std::time_t>(seconds);
  }
  // The calendar of std::chrono: gmtime_r is POSIX's, gmtime not safe to call from threads.
  const std::chrono::year_month_day utc{
      std::chrono::floor<std::chrono::days>(std::chrono::system_clock::from_time_t(now))};
  return GedcomDate(static_cast<int>(utc.year()), static_cast<int>(static_cast<unsigned>(utc.month())),
                    static_cast<int>(static_cast<unsigned>(utc.day())));
}

}  // namespace

ShowFormat ParseShowFormat(const std::string& text) {
  if (text == "text") return ShowFormat::kText;
  if (text == "gedcom") return ShowFormat::kGedcom;
  if (text == "citation") return ShowFormat::kCitation;
  if (text == "evidence") return ShowFormat::kEvidence;
  throw UsageError("--format: " + text + " is not one of text, gedcom, citation, evidence");
}

int RunShow(const SearchOptions& options, const std::vector<std::string>& indexes, ShowFormat format) {
  if (options.raw && format != ShowFormat::kText) throw UsageError("--raw: only for --format text");
  const std::vector<long long> positions = Positions(indexes);
  SearchSession session;
  if (!session.Run(options)) return kExitDataProblem;
  const long count = session.List().ResultCount();
  for (long long index : positions) {
    if (index >= count) {
      return ReportProblem("INDEX " + std::to_string(index) + " is out of range: " + std::to_string(count) +
                           (count == 1 ? " result" : " results"));
    }
  }

  // One pass over the result, as far as the last position named, collects what each shows.
  std::map<long long, std::string> texts;
  std::map<long long, SoldierEntry> entries;
  for (long long index : positions) {
    if (format == ShowFormat::kText) {
      texts[index];
    } else {
      entries[index];
    }
  }
  const long long last = *std::max_element(positions.begin(), positions.end());
  long long position = 0;
  session.ForEachRow([&](int row) {
    const long long at = position++;
    if (auto text = texts.find(at); text != texts.end()) {
      const char* detail = session.List().DetailText(row);
      // For a reader: LF line ends, every control character of the roll shown, one LF at the end.
      text->second = options.raw ? std::string(detail) : VisibleDetailText(detail) + '\n';
    } else if (auto entry = entries.find(at); entry != entries.end()) {
      entry->second = session.RowEntry(row);
    }
    return at < last;
  });
  if (session.MessageShown()) return kExitDataProblem;
  if (position <= last) {
    // The pages ended before the count said they would: name the first position not reached.
    const long long missing =
        *std::find_if(positions.begin(), positions.end(), [&](long long p) { return p >= position; });
    return ReportProblem("result " + std::to_string(missing) + " could not be read");
  }

  std::string out;
  if (format == ShowFormat::kGedcom) {
    std::vector<SoldierEntry> chosen;
    for (long long index : positions) chosen.push_back(entries[index]);
    GedcomOptions gedcom;
    gedcom.date = GedcomToday();
    out = WriteGedcom(chosen, gedcom);
  } else {
    for (std::size_t i = 0; i < positions.size(); ++i) {
      const long long index = positions[i];
      if (format == ShowFormat::kText) {
        // Several details are told apart by an empty line, as a reader of the terminal sees them.
        if (i > 0) out += options.raw ? "\r\n\r\n" : "\n";
        out += texts[index];
      } else {
        out += format == ShowFormat::kCitation ? PlainCitation(entries[index]) : EvidenceCitation(entries[index]);
        out += '\n';
      }
    }
  }
  // UTF-8 for a reader (what records/ writes holds no control characters); the roll's bytes with
  // --raw.
  std::fwrite(out.data(), 1, out.size(), stdout);
  return FinishOutput() ? kExitOk : kExitDataProblem;
}
