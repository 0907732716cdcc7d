// The modal dialog that shows one entry's full details: captioned with the row's surname and
// given name, the labelled detail text in a read-only body that does not wrap and scrolls both
// ways, and OK, which has the focus when the dialog opens, so that Enter closes it.
//
// Under the body: the entry's unit in plain words (the body keeps the roll's own text), and the
// buttons that copy the whole record or its citation, plain or in the evidence-style shape; under
// them, the record before and after in the result, Print and Save as GEDCOM, which ask whoever
// opened the dialog (the signals) and stay disabled until it enables them. Unit..., at the end of
// the unit's line, asks for the unit's window: enabled when it is offered and the record has a unit.
#pragma once

#include <QDialog>
#include <QString>

#include "records/soldier_entry.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

class MoreInfoDialog : public QDialog {
  Q_OBJECT

 public:
  explicit MoreInfoDialog(QWidget* parent = nullptr);

  void SetBody(const QString& text) { m_strBody = text; }
  void SetCaption(const QString& text) { m_strCaption = text; }
  // The entry the body describes: its unit in plain words and its citations.
  void SetEntry(const SoldierEntry& entry);
  // Runs the dialog modally; closed by OK, Escape or the close box.
  int DoModal();

  QPlainTextEdit* Body() const { return m_body; }
  QPushButton* OkButton() const { return m_ok; }
  QLabel* UnitLine() const { return m_unitLine; }
  QPushButton* CopyButton() const { return m_copy; }
  QPushButton* CitationButton() const { return m_copyCitation; }
  QPushButton* EvidenceButton() const { return m_copyEvidence; }
  QPushButton* PreviousButton() const { return m_previous; }
  QPushButton* NextButton() const { return m_next; }
  QPushButton* PrintButton() const { return m_print; }
  QPushButton* GedcomButton() const { return m_gedcom; }
  QPushButton* UnitButton() const { return m_unit; }

  // Which of the record before and after there are; whether Print and Save as GEDCOM can be done.
  void EnableSteps(bool previous, bool next);
  void EnableUses(bool print, bool gedcom);
  // Whether Unit... is offered (by whoever answers unitRequested); it is enabled for a record
  // that has a unit.
  void OfferUnit(bool offered);
  // Shows the caption, body and entry set since, in the open dialog (after a step).
  void Refresh();

  // The whole record as text: the caption, the body and the unit in plain words.
  QString RecordText() const;

 signals:
  // Previous (-1) or Next (1): the record before or after in the result is to be shown.
  void stepRequested(int step);
  void printRequested();
  void gedcomRequested();
  // Unit...: the window of the record's unit, its battles and its roster.
  void unitRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnInitDialog();

  QString m_strBody;
  QString m_strCaption;
  QPlainTextEdit* m_body;
  QPushButton* m_ok;
  QLabel* m_unitLine;
  QPushButton* m_copy;
  QPushButton* m_copyCitation;
  QPushButton* m_copyEvidence;
  QPushButton* m_previous;
  QPushButton* m_next;
  QPushButton* m_print;
  QPushButton* m_gedcom;
  QPushButton* m_unit;
  QString m_strUnit;
  QString m_strCitation;
  QString m_strEvidence;
  bool m_hasUnit = false;
  bool m_unitOffered = false;
};
