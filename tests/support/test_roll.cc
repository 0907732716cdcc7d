#include "support/test_roll.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "store/roll_writer.h"

std::vector<std::string> SampleFields(const std::string& company) {
  return {"J", company, "5 IL INF", "PVT", "CORP", "", "12", "34", "56", "U"};
}

TestRoll::TestRoll()
    : dataDir(dir.File(std::string("data") + kPathSeparator)),
      familyDir(dir.File(std::string("family") + kPathSeparator)) {
  MakeDirectory(dataDir);
  MakeDirectory(familyDir);
  location.SetDirectories(familyDir.c_str(), dataDir.c_str());
}

void TestRoll::Add(const std::string& surname, const std::string& name, std::vector<std::string> fields) {
  entries.push_back({surname, name, std::move(fields)});
}

void TestRoll::Build(int nameLength) {
  RollWriter writer(nameLength);
  std::string error;
  for (const Entry& e : entries) {
    std::vector<std::string_view> fields(e.fields.begin(), e.fields.end());
    ASSERT_TRUE(writer.Add(e.surname, e.name, fields, &error)) << e.surname << ": " << error;
  }
  ASSERT_TRUE(writer.Write(dataDir, &error)) << error;
}

int BoxDialogue::AskForDisk() { return ShowMessageBox(kDiskPrompt, kDiskPromptStyle); }

RollDialogue& BoxAnswers() {
  static BoxDialogue dialogue;
  return dialogue;
}

void ShowStatusBox(const RollStatus& status) {
  const StatusBox box = BoxFor(status);
  if (!box.text.empty()) ShowMessageBox(box.text.c_str(), box.style);
}

SearchSession::SearchSession(const DataLocation& location)
    : database(location, dialogue), list(database, location.familyDirectory.get()) {}

void SearchSession::Search(const std::string& surname, const std::string& given, bool largeFont) {
  auto report = [](const std::string& text) { ShowMessageBox(text.c_str(), kMbOk); };
  list.SetRowsPerPage(largeFont);
  list.Reset();
  request.SetSurname(surname.c_str(), report);
  request.SetDatabase(1);
  if (!given.empty()) request.SetGivenName(given.c_str(), report);
  Show(database.RunSearch(request));
  list.FinishPendingWrites();  // as the search screen does once the page is drawn
  for (const std::string& notice : list.TakeNotices())
    ShowMessageBox(notice.c_str(), kMbOk | kMbIconExclamation);
}

void SearchSession::Show(SearchAnswer&& answer) {
  ShowStatusBox(answer.Status());
  list.Show(std::move(answer));
  for (const std::string& notice : list.TakeNotices())
    ShowMessageBox(notice.c_str(), kMbOk | kMbIconExclamation);
}

FindOutcome SearchSession::Find(const SearchRequest& asked, const FindOptions& options,
                                const FindProgress& progress) {
  SearchAnswer answer = database.RunFind(asked, options, progress);
  if (answer.Status().problem == RollProblem::kStopped) return FindOutcome::kCancelled;
  const bool shown = answer.Status().Ok();
  Show(std::move(answer));
  return shown ? FindOutcome::kShown : FindOutcome::kNoData;
}

std::vector<std::string> SearchSession::PageRows() const {
  std::vector<std::string> rows;
  char text[500];
  for (int i = 0; i < list.RowCount(); ++i) {
    list.FormatRow(i, text);
    rows.emplace_back(text);
  }
  return rows;
}

std::vector<std::string> SearchSession::PageNames() const {
  std::vector<std::string> names;
  for (int i = 0; i < list.RowCount(); ++i) names.emplace_back(list.Row(i).nameText);
  return names;
}
