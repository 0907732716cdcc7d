// What can be done with what was found, as items of the frame's menus:
//
//   Edit  Copy (Ctrl+C): the selected row as text, its fields tab-separated, as the row shows them
//         Copy Citation (Ctrl+Shift+C), Copy Evidence Citation: the selected entry's citation
//   File  Export Results... (Ctrl+E): every entry of the result as CSV or JSON
//         Microfilm Pull List...: the microfilm rolls the result's entries point to
//         Save Soldier as GEDCOM..., Save All Results as GEDCOM...
//         Print Preview..., Print... (Ctrl+P): the result list, or the selected record
//
// Only the common keys are taken (Copy, Export, Print); Ctrl+G, Ctrl+L and F3 are left to Find.
//
// The items for one entry need a selected row, the others a result with entries; each follows
// the view as it changes. The print items exist only where the build can print (ui/printing.h).
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "records/soldier_entry.h"
#include "ui/printing.h"

class CViewView;
class QAction;
class QPrinter;
class QWidget;

class UseActions : public QObject {
  Q_OBJECT

 public:
  UseActions(CViewView* view, QObject* parent);
  ~UseActions() override;

  // The items in menu order; separators are actions of their own.
  QList<QAction*> EditActions() const;
  QList<QAction*> FileActions() const;

  // What more to say of the search at the head of a printed page (the status strip's text, say).
  void SetSearchDescription(std::function<QString()> describe) { m_describe = std::move(describe); }

  // The commands.
  void OnCopy();
  void OnCopyCitation(bool evidenceStyle);
  void OnExport();
  void OnPullList();
  void OnSaveSoldier();
  void OnSaveAll();
#if DRAVENHOLT_CAN_PRINT
  void OnPrintPreview();
  void OnPrint();
  // The selected record, from More Info.
  void OnPrintRecord();
  // The printer every print goes to; it keeps the user's choices for the session.
  QPrinter* Printer();
#endif

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What a dialog of a command opens over.
  QWidget* DialogParent() const;
  QAction* MakeAction(const QString& text, const QKeySequence& key, std::function<void()> command);
  void UpdateActions();
  // What was searched for, and what was found.
  QString SearchTitle() const;
  QString FoundText() const;
#if DRAVENHOLT_CAN_PRINT
  // Each false when it stopped before the end (cancelled, or the roll could not be read).
  bool PrintList(QPrinter* printer);
  bool PrintSelected(QPrinter* printer);
#endif

  CViewView* m_view;
  std::function<QString()> m_describe;
  QAction* m_copy;
  QAction* m_copyCitation;
  QAction* m_copyEvidence;
  QAction* m_export;
  QAction* m_pullList;
  QAction* m_saveSoldier;
  QAction* m_saveAll;
  QAction* m_printPreview = nullptr;
  QAction* m_print = nullptr;
  QList<QAction*> m_editItems;
  QList<QAction*> m_fileItems;
#if DRAVENHOLT_CAN_PRINT
  std::unique_ptr<QPrinter> m_printer;
#endif
};
