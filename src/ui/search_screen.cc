#include "ui/search_screen.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/message_box.h"
#include "results/result_walk.h"
#include "store/companion_cache.h"
#include "store/data_location.h"
#include "ui/row_fields.h"
#include "ui/row_words.h"

bool g_bShuttingDown = false;

std::string CountLineText(long total) {
  if (total < 0) return kNoRecordsText;
  char text[256];
  std::snprintf(text, sizeof text, kCountLineFormat, total);
  return text;
}

SearchScreen::SearchScreen(const DataLocation& location, ScreenDialogue& dialogue)
    : m_location(location), m_dialogue(dialogue) {}

SearchScreen::~SearchScreen() {
  Forget();
  DeleteEngine();
}

void SearchScreen::CreateEngine() {
  m_pDatabase = std::make_unique<RollDatabase>(m_location, m_dialogue);
  // A roster is read from the roll's companion in the user's cache when a sound one is there.
  m_pDatabase->SetCompanionDirectory(CompanionCachePlace());
  m_pRequest = std::make_unique<SearchRequest>();
  m_pResults = std::make_unique<ResultList>(*m_pDatabase, m_location.familyDirectory.get());
  g_bShuttingDown = false;
}

void SearchScreen::DeleteEngine() {
  if (!m_pDatabase && !m_pRequest && !m_pResults) return;
  g_bShuttingDown = true;
  if (m_pDatabase) m_pDatabase->Close();
  // The list reads through the database: it goes first.
  m_pResults.reset();
  m_pRequest.reset();
  m_pDatabase.reset();
}

void SearchScreen::AddListener(ScreenListener* listener) { m_listeners.push_back(listener); }

void SearchScreen::Forget() { m_listeners.clear(); }

template <typename Call>
void SearchScreen::Tell(Call call) {
  // A listener may add another while it is told: the list is copied first.
  const std::vector<ScreenListener*> listeners = m_listeners;
  for (ScreenListener* listener : listeners) call(*listener);
}

void SearchScreen::SetBusy(bool busy) {
  m_bBusy = busy;
  Tell([busy](ScreenListener& l) { l.BusyChanged(busy); });
}

void SearchScreen::TellStatus(const RollStatus& status) {
  const StatusBox box = BoxFor(status);
  if (box.text.empty()) return;
  m_dialogue.Tell(box.text.c_str(), box.style);
  if (box.endsProgram) m_dialogue.EndProgram(1);
}

void SearchScreen::TellNotices() {
  if (!m_pResults) return;
  for (const std::string& notice : m_pResults->TakeNotices())
    m_dialogue.Tell(notice.c_str(), kMbOk | kMbIconExclamation);
}

// --- Search and Clear ---

void SearchScreen::OnSearch(const std::string& surnameField, const std::string& givenField) {
  SetBusy(true);
  const std::string surname = surnameField.substr(0, kSurnameReadLength);
  if (!surname.empty()) {
    DoSearch(surname, givenField.substr(0, kGivenNameReadLength));
  } else {
    m_dialogue.Tell(kEmptySurnameMessage, kMbOk | kMbIconExclamation);
    Tell([](ScreenListener& l) { l.FocusRequested(ScreenFocus::kSurnameField); });
  }
  SetBusy(false);
}

void SearchScreen::FillRequest(const std::string& surname, const std::string& given) {
  const QueryErrorReport report = [this](const std::string& text) { m_dialogue.Tell(text.c_str(), kMbOk); };
  m_pRequest->SetSurname(surname.c_str(), report);
  m_pRequest->SetDatabase(1);
  if (!given.empty()) m_pRequest->SetGivenName(given.c_str(), report);
}

void SearchScreen::DoSearch(const std::string& surname, const std::string& given) {
  if (EffectiveMatchMode(m_findOptions.mode, surname) != MatchMode::kExact || m_findOptions.filter.Active()) {
    DoFind(surname, given);
    return;
  }
  m_pResults->Reset();
  Tell([](ScreenListener& l) { l.MoreInfoSwitched(false); });
  FillRequest(surname, given);
  SearchAnswer answer = m_pDatabase->RunSearch(*m_pRequest, m_findOptions.givenVariants);
  if (g_bShuttingDown) return;
  TellStatus(answer.Status());
  m_pResults->ShowAfterReset(std::move(answer));
  TellNotices();
  m_nSelRow = -1;
  m_nPage = 0;
  ShowPage();
  // The matches of a given-name search reach history.buf once the page is on screen; when not all
  // could be written the list is what the file holds, and the page is shown again.
  if (m_pResults->FinishPendingWrites() && !g_bShuttingDown) {
    TellNotices();
    ShowPage();
  }
  if (!g_bShuttingDown) SearchDone(surname, given);
}

void SearchScreen::DoFind(const std::string& surname, const std::string& given) {
  // Unlike the plain search, the list keeps the result on screen until the new one replaces it:
  // a search stopped halfway leaves that result, its page and its selection as they were.
  const SearchRequest previous = *m_pRequest;
  FillRequest(surname, given);
  const FindProgress progress = m_dialogue.SearchStarting();
  SearchAnswer answer = m_pDatabase->RunFind(*m_pRequest, m_findOptions, progress);
  m_dialogue.SearchEnded();
  if (g_bShuttingDown) return;
  if (answer.Status().problem == RollProblem::kStopped) {
    *m_pRequest = previous;
    return;
  }
  TellStatus(answer.Status());
  m_pResults->Show(std::move(answer));
  TellNotices();
  m_nSelRow = -1;
  m_nPage = 0;
  ShowPage();
  // The last given-name search's records leave history.buf once the page is on screen.
  m_pResults->FinishPendingWrites();
  SearchDone(surname, given);
}

void SearchScreen::SearchDone(const std::string& surname, const std::string& given) {
  m_bSearchShown = true;
  ++m_nSearchesShown;
  m_strShownSurname = surname;
  m_strShownGiven = given;
  Tell([](ScreenListener& l) { l.SearchShown(); });
}

bool SearchScreen::ShowRoster(const RosterRequest& roster) {
  if (m_bBusy) return false;
  SetBusy(true);
  const FindProgress progress = m_dialogue.SearchStarting();
  SearchAnswer answer = m_pDatabase->RunRoster(roster, progress);
  m_dialogue.SearchEnded();
  if (g_bShuttingDown) return false;
  if (answer.Status().problem == RollProblem::kStopped) {
    SetBusy(false);
    return false;
  }
  TellStatus(answer.Status());
  m_pResults->Show(std::move(answer));
  TellNotices();
  m_nSelRow = -1;
  m_nPage = 0;
  // The list is no longer the search the name fields and the Find menu describe.
  m_bSearchShown = false;
  ShowPage();
  m_pResults->FinishPendingWrites();
  Tell([](ScreenListener& l) { l.RosterShown(); });
  SetBusy(false);
  return true;
}

const RosterRequest* SearchScreen::ShownRoster() const {
  const SearchAnswer* found = m_pResults ? m_pResults->Found() : nullptr;
  return found && found->IsRoster() ? &found->Roster() : nullptr;
}

bool SearchScreen::SearchAgain() {
  if (!m_bSearchShown || m_bBusy) return false;
  const long before = m_nSearchesShown;
  OnSearch(m_strShownSurname, m_strShownGiven);
  return m_nSearchesShown != before;
}

void SearchScreen::OnClear() {
  m_bSearchShown = false;
  Tell([](ScreenListener& l) { l.MoreInfoSwitched(false); });
  m_pResults->Reset();
  m_pResults->FinishPendingWrites();
  m_nPage = 0;
  m_nSelRow = -1;
  Tell([](ScreenListener& l) {
    l.ResultsChanged();
    l.Cleared();
    l.FocusRequested(ScreenFocus::kSurnameField);
  });
}

void SearchScreen::ShowPage() {
  const int rows = ShownRowCount();
  for (int i = 0; i < rows; ++i) m_pResults->FormatRow(i, m_szRowText[i]);
  Tell([](ScreenListener& l) { l.ResultsChanged(); });
}

// --- Pages and rows ---

void SearchScreen::StepPage(bool forward) {
  if (forward) {
    m_pResults->NextPage();
    ++m_nPage;
  } else {
    m_pResults->PreviousPage();
    if (m_nPage > 0) --m_nPage;
  }
  TellNotices();
}

bool SearchScreen::TurnPage(bool forward) {
  if (!m_pDatabase->EnsureDataPresent()) return false;
  m_nSelRow = -1;
  StepPage(forward);
  ShowPage();
  return true;
}

void SearchScreen::OnPrevPage() {
  if (!TurnPage(false)) return;
  if (!m_pResults->HasPreviousPage())
    Tell([](ScreenListener& l) { l.FocusRequested(ScreenFocus::kNextButton); });
}

void SearchScreen::OnNextPage() {
  if (!TurnPage(true)) return;
  if (!m_pResults->HasNextPage())
    Tell([](ScreenListener& l) { l.FocusRequested(ScreenFocus::kPreviousButton); });
}

void SearchScreen::ShowEndPage(bool last) {
  if (!m_pDatabase->EnsureDataPresent()) return;
  m_nSelRow = -1;
  m_nPage = static_cast<int>(m_pResults->ShowPageAt(last ? m_pResults->PageCount() - 1 : 0));
  TellNotices();
  ShowPage();
}

void SearchScreen::SelectRow(int row) {
  const int old = m_nSelRow;
  m_nSelRow = row >= 0 && row < ShownRowCount() ? row : -1;
  Tell([old, this](ScreenListener& l) { l.SelectionChanged(old, m_nSelRow); });
}

void SearchScreen::MoveSelection(int step) {
  const int rows = ShownRowCount();
  if (m_nSelRow < 0) {
    SelectRow(step > 0 ? 0 : rows - 1);
  } else if (m_nSelRow + step >= 0 && m_nSelRow + step < rows) {
    SelectRow(m_nSelRow + step);
  } else if (step > 0 && m_pResults->HasNextPage()) {
    if (TurnPage(true)) SelectRow(0);
  } else if (step < 0 && m_pResults->HasPreviousPage()) {
    if (TurnPage(false)) SelectRow(ShownRowCount() - 1);
  }
}

bool SearchScreen::CanMoveSelection(int step) const {
  if (m_nSelRow < 0 || !m_pResults) return false;
  if (step < 0) return m_nSelRow > 0 || m_pResults->HasPreviousPage();
  return m_nSelRow + 1 < ShownRowCount() || m_pResults->HasNextPage();
}

KeyTaken SearchScreen::OnListKey(ListKey key, bool onPageButton) {
  if (!m_pResults || m_bBusy) return KeyTaken::kNo;
  const int page = m_nPage;
  const KeyTaken taken = TakeListKey(key, onPageButton);
  if (onPageButton && m_nPage != page) {
    if (!m_pResults->HasNextPage()) {
      Tell([](ScreenListener& l) { l.FocusRequested(ScreenFocus::kPreviousButton); });
    } else if (!m_pResults->HasPreviousPage()) {
      Tell([](ScreenListener& l) { l.FocusRequested(ScreenFocus::kNextButton); });
    }
  }
  return taken;
}

KeyTaken SearchScreen::TakeListKey(ListKey key, bool onPageButton) {
  const bool shown = ShownRowCount() > 0;
  const ScreenControls controls = Controls();
  switch (key) {
    case ListKey::kUp:
    case ListKey::kDown:
      if (!shown) return KeyTaken::kNo;
      MoveSelection(key == ListKey::kDown ? 1 : -1);
      return KeyTaken::kYes;
    case ListKey::kPageUp:
    case ListKey::kPageDown:
      if (!shown) return KeyTaken::kNo;
      if (key == ListKey::kPageDown ? controls.next : controls.previous) TurnPage(key == ListKey::kPageDown);
      return KeyTaken::kYes;
    case ListKey::kHome:
    case ListKey::kEnd:
      // A name field keeps its caret keys.
      if (!onPageButton) return KeyTaken::kNo;
      [[fallthrough]];
    case ListKey::kFirstPage:
    case ListKey::kLastPage:
      if (!controls.previous && !controls.next) return KeyTaken::kNo;
      ShowEndPage(key == ListKey::kEnd || key == ListKey::kLastPage);
      return KeyTaken::kYes;
    case ListKey::kEnter:
      return m_nSelRow >= 0 && onPageButton ? KeyTaken::kMoreInfo : KeyTaken::kNo;
  }
  return KeyTaken::kNo;
}

bool SearchScreen::MoreInfo(std::string* caption, std::string* body) {
  if (m_nSelRow < 0 || m_nSelRow > kMaxRowsPerPage || m_nSelRow >= kRowTextCount) return false;
  if (!m_pDatabase->EnsureDataPresent()) return false;
  *caption = MoreInfoCaption(m_szRowText[m_nSelRow], kRowTextSize);
  *body = m_pResults->DetailText(m_nSelRow);
  return true;
}

bool SearchScreen::PageEntry(int row, SoldierEntry* entry) {
  WalkedRow walked;
  if (row >= ShownRowCount() || !ReadPageRow(*m_pResults, *m_pDatabase, row, &walked)) return false;
  *entry = EntryFromRoll(walked.surname, walked.nameText, SplitFields(walked.line));
  return true;
}

std::string SearchScreen::RowWords(int row) {
  SoldierEntry entry;
  return row >= 0 && PageEntry(row, &entry) ? RowInWords(entry) : std::string();
}

// --- State ---

void SearchScreen::SetRowsPerPage(bool largeFont) {
  if (m_pResults) m_pResults->SetRowsPerPage(largeFont);
}

int SearchScreen::ShownRowCount() const {
  return m_pResults ? std::clamp(m_pResults->RowCount(), 0, kRowTextCount) : 0;
}

int SearchScreen::PageCount() const {
  if (!m_pResults || m_pResults->ResultCount() <= 0) return 0;
  const int perPage = m_pResults->RowsPerPage();
  return static_cast<int>((static_cast<std::int64_t>(m_pResults->ResultCount()) + perPage - 1) / perPage);
}

std::string SearchScreen::CountLine() const {
  return CountLineText(m_pResults ? m_pResults->ResultCount() : 0);
}

std::string SearchScreen::PageLine() const {
  const int pages = PageCount();
  return pages > 0 ? "Page " + std::to_string(m_nPage + 1) + " of " + std::to_string(pages) : std::string();
}

ScreenControls SearchScreen::Controls() const {
  ScreenControls controls;
  if (!m_pResults) return controls;
  controls.next = m_pResults->HasNextPage() != 0;
  controls.previous = m_pResults->HasPreviousPage() != 0;
  controls.moreInfo = m_nSelRow >= 0 && m_nSelRow < m_pResults->RowCount();
  return controls;
}

std::string SearchScreen::DamagedIndex() const {
  const std::shared_ptr<const SearchAnswer> answer = m_pResults ? m_pResults->Answer() : nullptr;
  return answer ? answer->DamagedIndex() : std::string();
}
