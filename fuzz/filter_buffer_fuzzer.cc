// The filter buffer file, "history.buf": any bytes in it, read by the buffer alone (paging
// forwards to the end and back to the start) and by the result list of a filtered search whose
// file was replaced under it, driven by a script of page turns, recounts, appends and More Info.
//
// Input parts (fuzz_support.h): script, file bytes.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "platform/byte_order.h"
#include "platform/message_box.h"
#include "results/filter_buffer.h"
#include "results/result_list.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/roll_writer.h"
#include "store/search_request.h"

namespace {

// A small valid roll: 30 Smiths, the given names of most starting with A.
struct Scratch {
  Scratch() {
    const std::string& dir = fuzz::ScratchDir();
    data = dir + "data/";
    family = dir + "family/";
    mkdir(data.c_str(), 0700);
    mkdir(family.c_str(), 0700);
    RollWriter writer;
    std::string error;
    for (int i = 0; i < 30; ++i) {
      const std::string name = (i % 7 == 0 ? "BEN" : "ANNA") + std::to_string(i);
      const std::string company(static_cast<std::size_t>(i * 3), 'C');
      if (!writer.Add("Smith", name, {"J", company, "5 IL INF", "PVT", "", " misc", "1", "2", "3", "U"}, &error)) {
        std::abort();
      }
    }
    if (!writer.Write(data, &error)) std::abort();
    location.SetDirectories(family.c_str(), data.c_str());
    buffer = family + "history.buf";
    alone = dir + "alone.buf";
  }
  std::string data, family, buffer, alone;
  DataLocation location;
};

void CheckRows(const ResultRow* rows, int n, int perPage) {
  FUZZ_CHECK(n >= -1 && n <= perPage);
  for (int i = 0; i < n; ++i) {
    FUZZ_CHECK(strnlen(rows[i].nameText, kRowNameSize) < static_cast<std::size_t>(kRowNameSize));
    FUZZ_CHECK(strnlen(rows[i].summaryText, kRowSummarySize) < static_cast<std::size_t>(kRowSummarySize));
  }
}

void CheckList(ResultList& list) {
  // A page loaded before the page size changed keeps its rows until the next load.
  FUZZ_CHECK(list.RowCount() >= 0 && list.RowCount() <= kMaxRowsPerPage);
  FUZZ_CHECK(list.ResultCount() >= 0);
  auto row = std::make_unique<char[]>(kDisplaySurnameSize + kRowNameSize + kRowSummarySize);
  for (int i = 0; i < list.RowCount(); ++i) {
    FUZZ_CHECK(std::strlen(list.Row(i).summaryText) < kRowSummarySize);
    list.FormatRow(i, row.get());
  }
}

// The buffer on its own: every page forwards, then back to the first. The bytes come after a
// record of the buffer's own, as another writer that ignores the lock would put them (into a
// buffer just emptied and not written since, nothing is read).
void PageAlone(const std::string& path, std::string_view bytes, int perPage) {
  FilterBuffer buffer(path);
  FUZZ_CHECK(buffer.Append(1, "OURS", nullptr) == 1);
  buffer.CountRecords();
  fuzz::WriteFile(path, bytes, "ab");
  buffer.SetRowsPerPage(perPage);
  buffer.CountRecords();
  FUZZ_CHECK(buffer.RecordCount() == static_cast<std::int32_t>(1 + bytes.size() / kFilterRecordSize));
  ResultRow rows[kMaxRowsPerPage];
  int read = buffer.FirstPage(rows);
  CheckRows(rows, read, perPage);
  std::int64_t seen = read;
  for (int page = 0; page < 64 && buffer.MoreAfter(); ++page) {
    read = buffer.NextPage(rows);
    FUZZ_CHECK(read > 0);
    CheckRows(rows, read, perPage);
    seen += read;
  }
  if (buffer.RecordCount() <= 64 * perPage) FUZZ_CHECK(seen == buffer.RecordCount());
  for (int page = 0; page < 64 && buffer.MoreBefore(); ++page) CheckRows(rows, buffer.PreviousPage(rows), perPage);
  FUZZ_CHECK(buffer.MoreBefore() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scratch scratch;
  const auto parts = fuzz::SplitParts(data, size, 2);
  const std::string_view script = parts[0].substr(0, 64);
  const std::string_view file = parts[1];

  PageAlone(scratch.alone, file, script.empty() || (script[0] & 1) ? 10 : 8);

  UnattendedDialogue dialogue(kIdCancel);
  RollDatabase db(scratch.location, dialogue);
  ResultList list(db, scratch.location.familyDirectory.get());
  SearchRequest request;
  request.SetSurname("Smith");
  request.SetDatabase(1);
  request.SetGivenName("a");
  list.Reset();
  list.Show(db.RunSearch(request));
  FUZZ_CHECK(list.IsFiltered());
  CheckList(list);

  // The file changes under the open buffer.
  fuzz::WriteFile(scratch.buffer, file);
  ResultRow rows[kMaxRowsPerPage];
  for (std::size_t i = 0; i < script.size(); ++i) {
    const auto b = static_cast<unsigned char>(script[i]);
    switch (b % 8) {
      case 0: list.NextPage(); break;
      case 1: list.PreviousPage(); break;
      case 2: FUZZ_CHECK(std::strlen(list.DetailText((b >> 3) % kMaxRowsPerPage)) < kDetailTextSize); break;
      case 3: list.Buffer().CountRecords(); break;
      case 4: list.SetRowsPerPage(b & 8); break;
      case 5: CheckRows(rows, list.Buffer().FirstPage(rows), list.RowsPerPage()); break;
      case 6: {
        unsigned char offset[4] = {b, b, 0, 0};
        list.Buffer().Append(DecodeFixed32(offset), "APPENDED", (b & 8) ? "summary" : nullptr);
        break;
      }
      default: list.HasNextPage(); list.HasPreviousPage(); break;
    }
    CheckList(list);
  }
  return 0;
}
