// The Filters dialog of the Find menu: which entries a search keeps beyond their names. The side
// the soldier fought for (either, Union, Confederate), the state of his unit (its abbreviation as
// the unit text writes it: ME, OH, VA), text his unit contains, his company. OK takes what the
// fields say, Cancel leaves the filter as it was, Clear empties the fields.
#pragma once

#include <QDialog>

#include "store/entry_filter.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

class FiltersDialog : public QDialog {
  Q_OBJECT

 public:
  // Opens with the fields showing `filter`.
  explicit FiltersDialog(const EntryFilter& filter, QWidget* parent = nullptr);

  // The filter the fields describe: blanks around each text left off, state and company upper
  // case, texts in the roll's code page.
  EntryFilter Filter() const;
  // Empties every field and sets the side back to either (the Clear button).
  void ClearFields();

  // The side buttons: 0 either, 'U' Union, 'C' Confederate.
  QRadioButton* SideButton(char side) const;
  QLineEdit* StateField() const { return m_state; }
  QLineEdit* UnitField() const { return m_unit; }
  QLineEdit* CompanyField() const { return m_company; }
  QPushButton* ClearButton() const { return m_clear; }

 private:
  QRadioButton* m_either;
  QRadioButton* m_union;
  QRadioButton* m_confederate;
  QLineEdit* m_state;
  QLineEdit* m_unit;
  QLineEdit* m_company;
  QPushButton* m_clear;
};
