#include "ui/research_desk.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/cp1252.h"
#include "research/roll_identity.h"
#include "results/detail_text.h"
#include "results/result_walk.h"
#include "store/roll_format.h"
#include "store/surname_match.h"
#include "ui/row_fields.h"

namespace {

std::string TrimmedEnd(const char* text) {
  std::string out(text);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The log keeps what a person typed as UTF-8; the screen takes Windows-1252. A text that has no
// Windows-1252 form cannot have been typed on this screen and is not replayed.
bool ToRollBytes(const std::string& utf8, std::string* out) {
  std::size_t errorAt = 0;
  return Utf8ToCp1252(utf8, out, &errorAt);
}

std::string CaptionOf(const SavedSoldier& soldier) {
  std::string caption = TrimmedEnd(soldier.surname.c_str());
  std::string name = soldier.nameText;
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (!name.empty()) caption += ", " + name;
  return caption;
}

}  // namespace

bool ReplayOf(const LoggedSearch& search, ReplayedSearch* out) {
  ReplayedSearch replay;
  if (!ParseMatchMode(search.mode, &replay.options.mode)) return false;
  if (!ToRollBytes(search.surname, &replay.surname) || !ToRollBytes(search.givenName, &replay.givenName) ||
      !ToRollBytes(search.unit, &replay.options.filter.unit)) {
    return false;
  }
  if (search.side == "U" || search.side == "C") replay.options.filter.side = search.side[0];
  replay.options.filter.state = search.state;
  replay.options.filter.company = search.company;
  *out = std::move(replay);
  return true;
}

ResearchDesk::ResearchDesk(SearchScreen& screen, std::string logPath, Tell tell)
    : m_screen(screen), m_strLogPath(std::move(logPath)) {
  m_pRecorder = std::make_unique<ResearchRecorder>(m_strLogPath, std::move(tell));
  m_screen.AddListener(this);
}

// The recorder finishes what is queued (bounded: research/research_recorder.h) before it goes.
ResearchDesk::~ResearchDesk() = default;

bool ResearchDesk::WaitIdle(int ms) { return m_pRecorder->WaitIdle(std::chrono::milliseconds(ms)); }

bool ResearchDesk::Describe(LoggedSearch* out) const {
  const ResultList* results = m_screen.Results();
  const std::shared_ptr<const SearchAnswer> answer = results ? results->Answer() : nullptr;
  // A search the roll could not answer (no disk, a damaged file) found nothing only because it
  // did not look: it is no evidence, and is not recorded as a search that found nothing.
  if (!answer || !answer->Status().Ok() || m_screen.ShownRoster() != nullptr) return false;
  LoggedSearch search;
  search.program = "viewer";
  const SearchRequest& request = answer->Request();
  search.surname = Cp1252ToUtf8(request.surname);
  if (request.hasGivenName) search.givenName = Cp1252ToUtf8(TrimmedEnd(request.givenName));
  search.mode = MatchModeName(answer->Mode());
  const EntryFilter& filter = answer->Options().filter;
  if (filter.side) search.side = std::string(1, filter.side);
  search.state = filter.state;
  search.unit = Cp1252ToUtf8(filter.unit);
  search.company = filter.company;
  search.count = std::max<std::int64_t>(results->ResultCount(), 0);
  *out = std::move(search);
  return true;
}

bool ResearchDesk::IdentityOf(const std::string& indexPath, RollIdentity* out) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_strIdentified.empty() && m_strIdentified == indexPath) {
      *out = m_roll;
      return true;
    }
  }
  RollIdentity identity;
  if (indexPath.empty() || !IdentifyRoll(indexPath, &identity)) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_strIdentified = indexPath;
  m_roll = identity;
  *out = identity;
  return true;
}

void ResearchDesk::SearchShown() {
  ++m_nShown;
  if (!m_bRecording) return;
  const RollDatabase* database = m_screen.Database();
  const RollIndex* index = database ? database->Index() : nullptr;
  std::string indexPath = index ? index->Path() : std::string();
  LoggedSearch search;
  if (!Describe(&search)) return;
  const std::uint64_t shown = m_nShown;
  m_pRecorder->Post(
      [this, search = std::move(search), indexPath = std::move(indexPath), shown](ResearchLog& log) mutable {
        // A roll that cannot be read whole is recorded without its hash rather than not at all.
        IdentityOf(indexPath, &search.roll);
        if (!log.RecordSearch(&search)) return false;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nRecorded = shown;
        m_nRecordedId = search.id;
        return true;
      });
}

bool ResearchDesk::SoldierOf(int row, SavedSoldier* out) {
  ResultList* results = m_screen.Results();
  RollDatabase* database = m_screen.Database();
  WalkedRow walked;
  if (!results || !database || !ReadPageRow(*results, *database, row, &walked)) return false;
  out->surname = walked.surname;
  out->nameText = walked.nameText;
  out->line = walked.line;
  const std::shared_ptr<const SearchAnswer> answer = results->Answer();
  if (!answer) return false;
  out->indexKey = KeyOf(answer->Request().surname);
  const std::int64_t position =
      static_cast<std::int64_t>(m_screen.PageIndex()) * results->RowsPerPage() + row;
  if (position < answer->Count()) {
    std::int32_t slot = -1;
    std::size_t span = 0;
    answer->At(position, &slot, &span);
    if (slot >= 0) {
      if (!answer->Plain()) out->indexKey = std::string(answer->Span(span).key);
      out->slot = slot;
    }
  }
  return true;
}

bool ResearchDesk::SaveRow(int row, Saved saved) {
  SavedSoldier soldier;
  if (!SoldierOf(row, &soldier)) return false;
  const RollIndex* index = m_screen.Database()->Index();
  std::string indexPath = index ? index->Path() : std::string();
  LoggedSearch search;
  Describe(&search);
  const std::uint64_t shown = m_nShown;
  return m_pRecorder->Post([this, soldier, search, indexPath, shown, saved](ResearchLog& log) mutable {
    IdentityOf(indexPath, &soldier.roll);
    std::int64_t searchId = 0;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_nRecorded == shown) searchId = m_nRecordedId;
    }
    // With recording off (or its write lost) the search that found him goes in with him, so the
    // log still says how he was found.
    if (searchId == 0 && !search.surname.empty()) {
      search.roll = soldier.roll;
      if (log.RecordSearch(&search)) searchId = search.id;
    }
    soldier.searchId = searchId;
    bool already = false;
    if (!log.SaveSoldier(&soldier, &already)) {
      if (saved) saved(0, log.Problem().message + "; the soldier was not saved");
      return false;
    }
    if (saved) {
      const std::string name = Cp1252ToUtf8(CaptionOf(soldier));
      saved(soldier.id, (already ? "Already in the research log: " : "Saved to the research log: ") + name);
    }
    return true;
  });
}

SavedDetail ResearchDesk::DetailOf(const SavedSoldier& soldier) {
  SavedDetail detail;
  detail.caption = CaptionOf(soldier);
  std::string line = soldier.line;
  RollDatabase* database = m_screen.Database();
  const RollIndex* index = database && database->IsOpen() ? database->Index() : nullptr;
  RollIdentity here;
  if (index && soldier.slot >= 0 && !soldier.roll.hash.empty() && IdentityOf(index->Path(), &here) &&
      here.hash == soldier.roll.hash && soldier.slot < database->SlotCount()) {
    database->ReadSlot(static_cast<std::int32_t>(soldier.slot));
    // The slot must still hold him: the same name text as when he was saved.
    if (database->LineOffset() >= 0 &&
        TrimmedEnd(database->CurrentName()) == TrimmedEnd(soldier.nameText.c_str())) {
      char read[kLineBufferSize];
      database->ReadLine(database->LineOffset(), read);
      if (read[0] != '\0') {
        line = read;
        detail.fromRoll = true;
      }
    }
  }
  char text[kDetailTextSize];
  ComposeDetailText(line.c_str(), 1, text, sizeof text);
  detail.body = text;
  return detail;
}
