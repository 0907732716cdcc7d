// The Find run over a hostile roll: the key catalogue walked from whatever the index says, then
// the query in every match mode (exact, wildcards, both sounds-like codes, similar spelling), with
// the given name and the filters the input asks for, each answer paged and walked whole; a search
// stopped by its progress callback. Whatever the files say, an answer never lists more rows than
// the name file has slots, never a slot outside it, and holds no more than that many slots.
//
// Input parts (fuzz_support.h): query, name file, line file, index file (empty: the empty index).
// The query is "surname\0given\0filter": the filter's first byte the side (U, C, anything else:
// either), then "state\0unit\0company".
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "platform/message_box.h"
#include "results/result_list.h"
#include "results/result_walk.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/search_request.h"

namespace {

struct Scratch {
  Scratch() {
    const std::string& dir = fuzz::ScratchDir();
    data = dir + "data/";
    mkdir(data.c_str(), 0700);
    fuzz::WriteFile(data + "mrdb.id", "");
    location.SetDirectories("", data.c_str());
  }
  std::string data;
  DataLocation location;
};

// The `n`th text of `query` (NUL-separated), at most `limit` bytes.
std::string Piece(std::string_view query, int n, std::size_t limit) {
  for (int i = 0; i < n; ++i) {
    const std::size_t end = query.find('\0');
    query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
  }
  return std::string(query.substr(0, std::min(query.find('\0'), limit)));
}

// The catalogue's runs lie in the name file and do not overlap: together no more than the roll.
void CheckCatalogue(const KeyCatalogue& catalogue, std::int64_t slots) {
  std::int64_t listed = 0;
  for (std::size_t i = 0; i < catalogue.Size(); ++i) {
    const std::int64_t first = catalogue.FirstSlot(i);
    const std::int64_t count = catalogue.SlotCount(i);
    FUZZ_CHECK(count >= 0 && first >= 0 && (count == 0 || first + count <= slots));
    listed += count;
  }
  FUZZ_CHECK(listed <= slots);
}

void CheckAnswer(RollDatabase& db, ResultList& list, SearchAnswer&& answer) {
  const std::int64_t slots = db.SlotCount();
  FUZZ_CHECK(answer.Count() >= 0 && answer.Count() <= slots);
  FUZZ_CHECK(answer.Bytes() <= 64 * 1024 + answer.SpanCount() * 64 + static_cast<std::size_t>(slots) * 8);
  for (std::int64_t p = 0; p < answer.Count(); ++p) {
    std::int32_t slot = -1;
    std::size_t span = 0;
    answer.At(p, &slot, &span);
    FUZZ_CHECK(slot >= 0 && slot < slots && span < answer.SpanCount());
  }
  list.Show(std::move(answer));
  FUZZ_CHECK(list.ResultCount() >= 0 && list.ResultCount() <= slots);
  for (int page = 0; page < 8 && list.HasNextPage(); ++page) {
    list.NextPage();
    FUZZ_CHECK(list.RowCount() > 0 && list.RowCount() <= list.RowsPerPage());
  }
  ResultWalk walk(db, list);
  FUZZ_CHECK(walk.Start() == WalkStart::kReady);
  WalkedRow row;
  std::int64_t walked = 0;
  while (walked <= slots && walk.Next(&row)) ++walked;
  FUZZ_CHECK(walked == walk.Count());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scratch scratch;
  const auto parts = fuzz::SplitParts(data, size, 4);
  const std::string_view query = parts[0];
  fuzz::WriteFile(scratch.data + "mroll.cor", parts[1]);
  fuzz::WriteFile(scratch.data + "mroll.ext", parts[2]);
  fuzz::WriteFile(scratch.data + "mroll.tre", fuzz::WithEndByte(parts[3]));

  UnattendedDialogue dialogue(kIdCancel);
  RollDatabase db(scratch.location, dialogue);
  db.SetMissingIndex(MissingIndex::kRefuse);
  ResultList list(db, nullptr);
  if (!db.Open(1)) return 0;
  const KeyCatalogue* catalogue = db.Catalogue();
  FUZZ_CHECK(catalogue != nullptr);
  CheckCatalogue(*catalogue, db.SlotCount());

  SearchRequest request;
  request.SetSurname(Piece(query, 0, kMaxKeyLength).c_str());
  request.SetDatabase(1);
  if (const std::string given = Piece(query, 1, 40); !given.empty()) request.SetGivenName(given.c_str());
  FindOptions options;
  const std::string side = Piece(query, 2, 1);
  options.filter.side = side == "U" || side == "C" ? side[0] : 0;
  options.filter.state = Piece(query, 3, 8);
  options.filter.unit = Piece(query, 4, 24);
  options.filter.company = Piece(query, 5, 4);
  for (MatchMode mode : {MatchMode::kExact, MatchMode::kWildcard, MatchMode::kSoundex,
                         MatchMode::kDaitchMokotoff, MatchMode::kSimilar}) {
    options.mode = mode;
    CheckAnswer(db, list, db.RunFind(request, options, {}));
  }

  // Stopped at its first report: no rows, and the reason.
  options.mode = MatchMode::kWildcard;
  request.SetSurname("*");
  options.filter.side = 'U';
  SearchAnswer stopped = db.RunFind(request, options, [](int percent) {
    FUZZ_CHECK(percent >= 0 && percent <= 100);
    return false;
  });
  FUZZ_CHECK(stopped.Count() == 0 || stopped.Status().Ok());
  if (!stopped.Status().Ok()) FUZZ_CHECK(stopped.Status().problem == RollProblem::kStopped);
  return 0;
}
