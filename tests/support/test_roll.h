// Builds a roll database for a test with the engine's writer, and runs searches over it the way
// the search screen does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "results/result_list.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/roll_dialogue.h"
#include "store/search_request.h"
#include "support/scoped_temp_dir.h"

// Ten fields in label order: middle initial, company, unit, rank in, rank out, misc, box, roll,
// record, side.
std::vector<std::string> SampleFields(const std::string& company = "A");

class TestRoll {
  // First, so that the directories below are made from it after it exists.
  ScopedTempDir dir;

 public:
  TestRoll();

  void Add(const std::string& surname, const std::string& name,
           std::vector<std::string> fields = SampleFields());
  // Writes the database into dataDir (with its marker file) and points `location` at it.
  void Build(int nameLength = 0);

  std::string dataDir;    // ends in the platform's separator
  std::string familyDir;  // ends in the platform's separator
  DataLocation location;

 private:
  struct Entry {
    std::string surname, name;
    std::vector<std::string> fields;
  };
  std::vector<Entry> entries;
};

// The disk prompt answered as the viewer asks it when it has no prompt of its own: the platform's
// message box (in a test, a ScriptedMessageBox).
class BoxDialogue : public RollDialogue {
 public:
  int AskForDisk() override;
};
// One for the tests that make a database of their own.
RollDialogue& BoxAnswers();
// Shows what the viewer shows for `status` (store/roll_status.h), where it shows anything: the box,
// through the platform's message box. It never ends the test.
void ShowStatusBox(const RollStatus& status);

// How a search that is not the plain one ended, as the screen takes it.
enum class FindOutcome {
  kShown,      // the list holds the new result
  kCancelled,  // stopped by the progress callback: the list is as it was
  kNoData,     // the disk prompt was cancelled or the files could not be opened: an empty result
};

// The engine objects of one search screen.
class SearchSession {
 public:
  explicit SearchSession(const DataLocation& location);

  // Fills the request as the Search command does and runs it.
  void Search(const std::string& surname, const std::string& given = "", bool largeFont = false);
  // Runs `asked` with `options` as the screen runs a search that is not the plain one: a stopped
  // search leaves the list as it was.
  FindOutcome Find(const SearchRequest& asked, const FindOptions& options, const FindProgress& progress = {});
  // Shows `answer` as the screen does: the box of its status, the list's first page, the list's
  // notices.
  void Show(SearchAnswer&& answer);
  // FormatRow of every row of the current page.
  std::vector<std::string> PageRows() const;
  // Name texts of every row of the current page.
  std::vector<std::string> PageNames() const;

  BoxDialogue dialogue;
  RollDatabase database;
  SearchRequest request;
  ResultList list;
};
