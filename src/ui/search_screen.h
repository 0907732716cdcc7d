// The search screen without a window: the engine objects it owns for its whole life (Part of the
// view's creation), the request, the page on screen and its row texts, the selected row, the
// commands (Search, Clear, the page turns, More Info, the Find modes and filters) and their rules
// of focus and enabling, as data. It uses the standard library only.
//
// The widget (ui/view_view.h) paints it, forwards its input to it and listens to it; so does
// assistive technology (ui/view_accessible.h). What the screen asks or tells the user goes through
// the ScreenDialogue it is given.
//
// The road of a search: the command fills the SearchRequest, the RollDatabase answers with a
// SearchAnswer, the ResultList pages it, the screen formats the page's rows, the widget paints.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "records/soldier_entry.h"
#include "results/result_list.h"
#include "store/roll_database.h"
#include "store/search_request.h"
#include "ui/screen_dialogue.h"

class DataLocation;

// Set while the engine objects are being deleted; a search that returns then touches nothing.
extern bool g_bShuttingDown;

inline constexpr int kRowTextCount = 15;
inline constexpr int kRowTextSize = 500;
inline constexpr int kSurnameReadLength = 19;  // characters of the surname a search reads
inline constexpr int kGivenNameReadLength = 250;

inline constexpr const char* kEmptySurnameMessage = "Please enter a surname.";
inline constexpr const char* kCountLineFormat = "%ld records found.";
inline constexpr const char* kNoRecordsText = "No records found.";

// The count line for `total` matches.
std::string CountLineText(long total);

// Where a command's focus rule puts the keyboard focus.
enum class ScreenFocus { kSurnameField, kPreviousButton, kNextButton };

// What the screen's controls are enabled for: the page buttons by the result, More Info by the
// selection.
struct ScreenControls {
  bool moreInfo = false;
  bool previous = false;
  bool next = false;
};

// The result list's keys, typed in a name field or on a button (kFirstPage and kLastPage are
// Ctrl+Home and Ctrl+End).
enum class ListKey { kUp, kDown, kPageUp, kPageDown, kHome, kEnd, kFirstPage, kLastPage, kEnter };
// Whether the screen took a key: kMoreInfo when it is More Info's to open (the front end's dialog).
enum class KeyTaken { kNo, kYes, kMoreInfo };

// Told what changed on the screen. Every method does nothing unless overridden.
class ScreenListener {
 public:
  virtual ~ScreenListener() = default;
  // The count line and the rows show another result or another page (a search, Clear, a page
  // turn); the selection, if there was one, went with the old rows.
  virtual void ResultsChanged() {}
  // The selected row of the page went from `oldRow` to `newRow` (-1 for none).
  virtual void SelectionChanged(int oldRow, int newRow) {}
  // A focus rule moves the keyboard focus.
  virtual void FocusRequested(ScreenFocus target) {}
  // A search starts or ends (the hourglass).
  virtual void BusyChanged(bool busy) {}
  // A search has put its result on screen (not sent for a search that was stopped).
  virtual void SearchShown() {}
  // A unit's roster has been put on screen as the result (not sent for one that was stopped).
  virtual void RosterShown() {}
  // Clear has emptied the result; the name fields are to be emptied too.
  virtual void Cleared() {}
  // A command switched More Info on or off directly, outside the painting of the rows (which
  // applies Controls() to every control).
  virtual void MoreInfoSwitched(bool enabled) {}
};

class SearchScreen {
 public:
  // `location` and `dialogue` must outlive the screen. The engine objects are made by
  // CreateEngine.
  SearchScreen(const DataLocation& location, ScreenDialogue& dialogue);
  ~SearchScreen();
  SearchScreen(const SearchScreen&) = delete;
  SearchScreen& operator=(const SearchScreen&) = delete;

  // The database, the request and the result list (whose construction empties the filter
  // buffer). DeleteEngine sets g_bShuttingDown and deletes them; both are safe to repeat.
  void CreateEngine();
  void DeleteEngine();

  // Listeners are told in the order they were added; none is told anything once Forget was called.
  void AddListener(ScreenListener* listener);
  void Forget();

  // --- Commands.

  // Search with the name fields' texts (Windows-1252, blanks at either end left off): the first
  // 19 characters of the surname; an empty one is refused with "Please enter a surname." and the
  // focus back in the surname field. The plain search resets the list first; any other (a Find
  // mode, a filter, a typed * or ?) reports its progress through the dialogue and, when stopped,
  // leaves the result, the page, the selection and the request as they were.
  void OnSearch(const std::string& surnameField, const std::string& givenField);
  // Runs the search whose result is on screen again, with the find options now in force (the
  // Find menu changed them), so that the list always matches what the status says. False when
  // no search is shown (nothing runs) or the new one was stopped (the old list stays).
  bool SearchAgain();
  // Whether the list on screen is a search's result (not before the first search or after Clear).
  bool SearchIsShown() const { return m_bSearchShown; }
  // Puts the roster `roster` (store/unit_roster.h) on screen as the result, first page, no row
  // selected: its progress goes through the dialogue, and a roster stopped halfway leaves the
  // result, the page and the selection as they were. The roster is no search: SearchAgain does
  // not run it (the Find menu's modes and filters do not apply to it). False when it was stopped
  // or a search is running.
  bool ShowRoster(const RosterRequest& roster);
  // The roster on screen, or null when the list is not one.
  const RosterRequest* ShownRoster() const;
  // Empties the result and the selection; the listeners empty the fields; focus to the surname.
  void OnClear();
  // The page before or after the current one (the first page again before the first), under
  // the disk check, with the paging rule's focus: to the other page button at either end.
  void OnPrevPage();
  void OnNextPage();
  // A page turn under the disk check, without the paging rule's focus; false when the prompt
  // was cancelled (nothing changed then).
  bool TurnPage(bool forward);
  // The first or last page, under one disk check.
  void ShowEndPage(bool last);
  // Makes `row` the selected row, or clears the selection for a row not on the page (-1: none).
  void SelectRow(int row);
  // The row above or below (step -1 or 1), across to the page before or after at either end.
  void MoveSelection(int step);
  // Whether a selected row has a row above or below it (step -1 or 1) in the result.
  bool CanMoveSelection(int step) const;
  // The result list's keys (`onPageButton`: typed on a page button):
  //   Up, Down          the row above or below (MoveSelection), while rows are shown
  //   PageUp, PageDown  the page before or after, as the page buttons turn it, while rows are shown
  //   Ctrl+Home, End    the first or last page, when the result has more than one (else the key
  //                     is left to the control)
  //   Home, End         the same on a page button; in a name field they move the text cursor
  //   Enter             on a page button with a row selected: More Info (elsewhere Enter searches
  //                     or presses the button it is typed on)
  // In a name field the focus stays there. On a page button the paging rule holds: a key that
  // reaches the first or last page moves the focus to the other page button, which is enabled.
  KeyTaken OnListKey(ListKey key, bool onPageButton);
  // More Info on the selected row: under the disk check, its caption (surname, given name) and
  // the detail text. False when there is nothing to show (no selection, prompt cancelled).
  bool MoreInfo(std::string* caption, std::string* body);
  // The page's row `row` as an entry (no disk check); false for no such row.
  bool PageEntry(int row, SoldierEntry* entry);
  // The Information column of row `row` in plain words (ui/row_words.h, UTF-8), "" for no such row.
  std::string RowWords(int row);

  // The painter's font test, made before every paint: 8 rows a page for a large font.
  void SetRowsPerPage(bool largeFont);
  // How a search finds its surnames and which entries it keeps (the Find menu sets them).
  void SetFindOptions(const FindOptions& options) { m_findOptions = options; }
  const FindOptions& FindSettings() const { return m_findOptions; }

  // --- State, for the painter, assistive technology and tests.

  int SelectedRow() const { return m_nSelRow; }
  bool IsBusy() const { return m_bBusy; }
  // The page on screen (0 for the first) and the number of pages of the result (0 when empty).
  int PageIndex() const { return m_nPage; }
  int PageCount() const;
  // The rows of the page, as many as are painted, and the display text of each
  // ("surname\tgiven name\tsummary").
  int ShownRowCount() const;
  const char* RowText(int row) const { return m_szRowText[row]; }
  std::string CountLine() const;
  // Where the page on screen stands in the result ("Page 3 of 37"), or "" with no result.
  std::string PageLine() const;
  ScreenControls Controls() const;
  // The answer on screen had its keys from a damaged index (its index file), or "".
  std::string DamagedIndex() const;

  RollDatabase* Database() { return m_pDatabase.get(); }
  const RollDatabase* Database() const { return m_pDatabase.get(); }
  const SearchRequest* Request() const { return m_pRequest.get(); }
  ResultList* Results() { return m_pResults.get(); }
  const ResultList* Results() const { return m_pResults.get(); }
  ScreenDialogue& Dialogue() { return m_dialogue; }

  // Says what `status` calls for (store/roll_status.h): its box, and the end of the program where
  // the index is no index.
  void TellStatus(const RollStatus& status);

 private:
  void DoSearch(const std::string& surname, const std::string& given);
  void DoFind(const std::string& surname, const std::string& given);
  // Fills the request as the Search command does.
  void FillRequest(const std::string& surname, const std::string& given);
  // Shows what the list has to tell.
  void TellNotices();
  // A search has put its result on screen: remembered for SearchAgain, and told.
  void SearchDone(const std::string& surname, const std::string& given);
  // OnListKey without the focus rule.
  KeyTaken TakeListKey(ListKey key, bool onPageButton);
  // Formats the rows of the current page and tells the listeners.
  void ShowPage();
  // One page on in the result list, keeping the page count; no disk check, nothing shown.
  void StepPage(bool forward);
  void SetBusy(bool busy);
  template <typename Call>
  void Tell(Call call);

  const DataLocation& m_location;
  ScreenDialogue& m_dialogue;
  std::unique_ptr<RollDatabase> m_pDatabase;
  std::unique_ptr<SearchRequest> m_pRequest;
  std::unique_ptr<ResultList> m_pResults;
  FindOptions m_findOptions;
  int m_nSelRow = -1;
  bool m_bBusy = false;
  int m_nPage = 0;  // the page on screen, counted from 0; set back by every search and Clear
  bool m_bSearchShown = false;
  long m_nSearchesShown = 0;
  std::string m_strShownSurname;  // the names the search on screen was run with
  std::string m_strShownGiven;
  char m_szRowText[kRowTextCount][kRowTextSize] = {};
  std::vector<ScreenListener*> m_listeners;
};
