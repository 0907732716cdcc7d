// A whole roll database from outside bytes: the name file, the line file and the index, plus a
// query. Reads every slot the name file holds (a bounded number), each entry's summary, whole
// line and detail text, then runs the query as the search screen does and pages through its
// result, both ways, with the detail text of every row.
//
// Input parts (fuzz_support.h): query ("surname", or "surname\0given"; a leading 0x01 byte asks
// for 8-row pages), name file, line file, index file (empty: the empty index).
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "platform/message_box.h"
#include "results/detail_text.h"
#include "results/result_list.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/roll_format.h"
#include "store/search_request.h"

namespace {

struct Scratch {
  Scratch() {
    const std::string& dir = fuzz::ScratchDir();
    data = dir + "data/";
    family = dir + "family/";
    mkdir(data.c_str(), 0700);
    mkdir(family.c_str(), 0700);
    fuzz::WriteFile(data + "mrdb.id", "");
    location.SetDirectories(family.c_str(), data.c_str());
  }
  std::string data, family;
  DataLocation location;
};

// Buffers of exactly the size the callers promise, so that the sanitizer sees any byte past them.
template <std::size_t N>
struct Exact {
  std::unique_ptr<char[]> bytes = std::make_unique<char[]>(N);
  char* get() { return bytes.get(); }
};

// A name text shown in a row must come from the name file.
void CheckFromNameFile(const char* text, std::string_view nameFile) {
  if (text[0] == '\0') return;
  FUZZ_CHECK(nameFile.find(text) != std::string_view::npos);
}

void ReadEntry(RollDatabase& db, std::int32_t lineOffset) {
  Exact<kSummaryBufferSize> summary;
  db.ReadSummary(lineOffset, summary.get());
  FUZZ_CHECK(std::strlen(summary.get()) < kSummaryBufferSize);
  Exact<kLineBufferSize> line;
  db.ReadLine(lineOffset, line.get());
  Exact<kDetailTextSize> text;
  ComposeDetailText(line.get(), db.Number(), text.get(), kDetailTextSize);
  Exact<16> small;
  ComposeDetailText(line.get(), db.Number(), small.get(), 16);
  FUZZ_CHECK(std::strlen(small.get()) < 16);
}

void CheckPage(ResultList& list, std::string_view nameFile) {
  FUZZ_CHECK(list.RowCount() >= 0 && list.RowCount() <= list.RowsPerPage());
  Exact<kDisplaySurnameSize + kRowNameSize + kRowSummarySize> row;
  for (int i = 0; i < list.RowCount(); ++i) {
    CheckFromNameFile(list.Row(i).nameText, nameFile);
    FUZZ_CHECK(std::strlen(list.Row(i).summaryText) < kRowSummarySize);
    list.FormatRow(i, row.get());
    FUZZ_CHECK(std::strlen(list.DetailText(i)) < kDetailTextSize);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scratch scratch;
  const auto parts = fuzz::SplitParts(data, size, 4);
  std::string_view query = parts[0];
  const bool largeFont = !query.empty() && query[0] == '\x01';
  if (largeFont) query.remove_prefix(1);
  const std::string surname(query.substr(0, query.find('\0')).substr(0, 40));
  const std::string given =
      query.find('\0') == std::string_view::npos ? "" : std::string(query.substr(query.find('\0') + 1).substr(0, 40));

  fuzz::WriteFile(scratch.data + "mroll.cor", parts[1]);
  fuzz::WriteFile(scratch.data + "mroll.ext", parts[2]);
  fuzz::WriteFile(scratch.data + "mroll.tre", fuzz::WithEndByte(parts[3]));

  UnattendedDialogue dialogue(kIdCancel);
  RollDatabase db(scratch.location, dialogue);
  ResultList list(db, scratch.location.familyDirectory.get());
  list.SetRowsPerPage(largeFont);

  // Direct reads of the first slots and of a few odd line offsets.
  if (db.Open(1)) {
    FUZZ_CHECK(db.NameLength() >= 0 && db.NameLength() <= kMaxNameLength);
    const std::int32_t slots = db.SlotCount();
    for (std::int32_t s = -1; s <= slots && s < 48; ++s) {
      db.ReadSlot(s);
      FUZZ_CHECK(std::strlen(db.CurrentName()) <= static_cast<std::size_t>(db.NameLength()));
      CheckFromNameFile(db.CurrentName(), parts[1]);
      ReadEntry(db, db.LineOffset());
    }
    for (std::int32_t offset : {0, -1, INT32_MIN, INT32_MAX, static_cast<std::int32_t>(parts[2].size()) - 1}) {
      ReadEntry(db, offset);
    }
  }

  // The search road, as the screen drives it.
  SearchRequest request;
  request.SetSurname(surname.c_str());
  request.SetDatabase(1);
  if (!given.empty()) request.SetGivenName(given.c_str());
  list.Reset();
  list.Show(db.RunSearch(request));
  CheckPage(list, parts[1]);
  for (int page = 0; page < 12 && list.HasNextPage(); ++page) {
    list.NextPage();
    CheckPage(list, parts[1]);
  }
  for (int page = 0; page < 4 && list.HasPreviousPage(); ++page) {
    list.PreviousPage();
    CheckPage(list, parts[1]);
  }
  // A filtered count is never negative. An unfiltered one is the index's own count, shown as it
  // stands even when a damaged index makes it negative (with nothing read), and never more
  // entries than the name file holds.
  if (list.IsFiltered()) FUZZ_CHECK(list.ResultCount() >= 0);
  if (!list.IsFiltered()) FUZZ_CHECK(list.ResultCount() <= db.SlotCount());
  return 0;
}
