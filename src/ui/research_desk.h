// The research log at the search screen, without a window: every search the screen shows is
// recorded as it comes (unless recording is switched off), a row of the page is saved with the
// search that found it, a logged search is turned back into the screen's fields and find
// options, and a saved soldier is read again from the roll when the roll on hand is his.
//
// Nothing here waits for the log: the writes go through a ResearchRecorder (its own thread), and
// the roll's identity, which reads the whole index file, is worked out there too, once per roll.
// What goes wrong is told through `tell`, once (research/research_recorder.h), on the recorder's
// thread; searching goes on whatever the log does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "research/research_recorder.h"
#include "ui/search_screen.h"

// A logged search as the screen takes it again: the fields' texts (Windows-1252) and the find
// options it ran with.
struct ReplayedSearch {
  std::string surname;
  std::string givenName;
  FindOptions options;
};
// False for a search whose mode this program does not know (the log may be a newer program's).
bool ReplayOf(const LoggedSearch& search, ReplayedSearch* out);

// A saved soldier's More Info: caption and detail text in the roll's bytes, and whether they
// came from the roll itself or from the copy kept in the log.
struct SavedDetail {
  std::string caption;
  std::string body;
  bool fromRoll = false;
};

class ResearchDesk : private ScreenListener {
 public:
  using Tell = std::function<void(const std::string& message)>;
  // Told on the recorder's thread when a save has been done: the soldier's id (0 when it failed)
  // and the words for the person.
  using Saved = std::function<void(std::int64_t id, const std::string& message)>;

  // `screen` must outlive the desk. `logPath` "" means no place is known for the log.
  ResearchDesk(SearchScreen& screen, std::string logPath, Tell tell);
  ~ResearchDesk() override;
  ResearchDesk(const ResearchDesk&) = delete;
  ResearchDesk& operator=(const ResearchDesk&) = delete;

  void SetRecording(bool on) { m_bRecording = on; }
  bool Recording() const { return m_bRecording; }
  const std::string& LogPath() const { return m_strLogPath; }

  // Saves row `row` of the page, with the search on screen; false (nothing queued) for no such
  // row or a row that cannot be read.
  bool SaveRow(int row, Saved saved);
  // The More Info of `soldier`: from the roll when the roll open now has his identity and his
  // slot still holds his entry, else from the saved copy.
  SavedDetail DetailOf(const SavedSoldier& soldier);

  // Waits until what was queued has been written, at most `ms` milliseconds (tests, closing).
  bool WaitIdle(int ms);

 private:
  void SearchShown() override;
  // A roster is no search the log can hold or run again: it is not recorded, and a man saved from
  // it is not credited to the search shown before it.
  void RosterShown() override { ++m_nShown; }
  // The search on screen, as the log records it (its roll still to be identified); false when
  // the roll did not answer it, or the list is a roster.
  bool Describe(LoggedSearch* out) const;
  // The identity of the roll whose index is at `indexPath`, on the recorder's thread.
  bool IdentityOf(const std::string& indexPath, RollIdentity* out);
  // The page's row `row`, as a soldier to save.
  bool SoldierOf(int row, SavedSoldier* out);

  SearchScreen& m_screen;
  const std::string m_strLogPath;
  bool m_bRecording = true;
  std::uint64_t m_nShown = 0;  // searches and rosters shown, on the screen's thread

  // Shared with the recorder's thread.
  std::mutex m_mutex;
  std::string m_strIdentified;  // the index path m_roll belongs to
  RollIdentity m_roll;
  std::uint64_t m_nRecorded = 0;  // which search shown the log's last recorded search is
  std::int64_t m_nRecordedId = 0;

  std::unique_ptr<ResearchRecorder> m_pRecorder;
};
