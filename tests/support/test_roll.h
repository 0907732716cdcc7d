// Builds a roll database for a test with the engine's writer, and runs searches over it the way
// the search screen does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "results/result_list.h"
#include "store/data_location.h"
#include "store/roll_database.h"
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

// The engine objects of one search screen.
class SearchSession {
 public:
  explicit SearchSession(const DataLocation& location);

  // Fills the request as the Search command does and runs it.
  void Search(const std::string& surname, const std::string& given = "", bool largeFont = false);
  // FormatRow of every row of the current page.
  std::vector<std::string> PageRows() const;
  // Name texts of every row of the current page.
  std::vector<std::string> PageNames() const;

  RollDatabase database;
  SearchRequest request;
  ResultList list;
};
