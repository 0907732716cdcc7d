// The Research window: what the research log holds, beside the search screen and never in its
// way (not modal). Two lists, the saved soldiers and the searches made, narrowed by a surname and
// (soldiers) a status; a saved soldier's status and notes are edited and applied as one change;
// a past search is run again on the search screen; a soldier's More Info is asked for; the log
// is exported as CSV or Markdown and the soldiers as GEDCOM.
//
// The window reads the log afresh at every Refresh (another viewer or rollkit may have written
// it) through a connection of its own, opened for the moment it needs it. A log that cannot be
// used is said in the window's own line; the file is left as it is.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "research/research_types.h"
#include "store/input_files.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class ResearchLog;

class ResearchWindow : public QWidget {
  Q_OBJECT

 public:
  // `logPath`: the research log; `inputs`: the files no export may replace (the roll's).
  ResearchWindow(std::string logPath, std::function<InputFiles()> inputs, QWidget* parent);

  // Reads the log again and fills both lists, keeping the soldier selected when he is still shown.
  void Refresh();
  // Applies the status and notes of the editor to the selected soldier: one change of the log.
  bool ApplyEdit();
  // The selected soldier or search; false when none is.
  bool SelectedSoldier(SavedSoldier* out) const;
  bool SelectedSearch(LoggedSearch* out) const;
  // Writes the export of `kind` (0 CSV, 1 Markdown, 2 GEDCOM) to `path` as one save.
  bool ExportTo(int kind, const QString& path);

  QTabWidget* Tabs() const { return m_tabs; }
  QTableWidget* SoldierTable() const { return m_soldierTable; }
  QTableWidget* SearchTable() const { return m_searchTable; }
  QLineEdit* SurnameFilter() const { return m_surname; }
  QComboBox* StatusFilter() const { return m_statusFilter; }
  QComboBox* StatusEditor() const { return m_status; }
  QPlainTextEdit* NotesEditor() const { return m_notes; }
  QLabel* ProblemLine() const { return m_problem; }
  QPushButton* RerunButton() const { return m_rerun; }
  QPushButton* MoreInfoButton() const { return m_moreInfo; }

 signals:
  void rerunRequested(const LoggedSearch& search);
  void moreInfoRequested(const SavedSoldier& soldier);

 protected:
  // Coming back to the window reads the log again: searches made meanwhile are listed.
  bool event(QEvent* event) override;

 private:
  // Opens the log for the moment; false (said in the problem line) when it cannot be used.
  bool OpenLog(ResearchLog* log, bool write);
  void FillSoldiers();
  void FillSearches();
  void ShowSelectedSoldier();
  void Export(int kind);

  const std::string m_strLogPath;
  std::function<InputFiles()> m_inputs;
  std::vector<SavedSoldier> m_soldiers;
  std::vector<LoggedSearch> m_searches;
  // The soldier whose status and notes the editor holds: a reading of the log keeps what is being
  // typed for him until it is applied or another soldier is chosen.
  std::int64_t m_nEditing = 0;

  QLabel* m_problem;
  QLineEdit* m_surname;
  QComboBox* m_statusFilter;
  QTabWidget* m_tabs;
  QTableWidget* m_soldierTable;
  QTableWidget* m_searchTable;
  QComboBox* m_status;
  QPlainTextEdit* m_notes;
  QPushButton* m_apply;
  QPushButton* m_moreInfo;
  QPushButton* m_rerun;
};
