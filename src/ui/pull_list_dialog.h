// File > Microfilm Pull List...: the National Archives microfilm rolls the current result's
// entries point to, each with how many of the entries it holds (records/pull_list.h), shown as
// text that can be copied, or saved as text or CSV.
#pragma once

#include <QDialog>
#include <QString>

#include "records/pull_list.h"
#include "store/input_files.h"

class CViewView;
class QPlainTextEdit;
class QPushButton;

class PullListDialog : public QDialog {
  Q_OBJECT

 public:
  // `inputs`: the files the roll is read from, which a save of the list may not replace.
  PullListDialog(PullList list, const QString& fileStem, InputFiles inputs, QWidget* parent);

  QPlainTextEdit* Text() const { return m_text; }
  QPushButton* CopyButton() const { return m_copy; }
  QPushButton* SaveButton() const { return m_save; }

  // Copies the list as the dialog shows it.
  void CopyText();
  // Asks for a file and saves the list there: as CSV when the name or the filter says so, else as text.
  void SaveList();

 private:
  PullList m_list;
  QString m_fileStem;
  InputFiles m_inputs;
  QPlainTextEdit* m_text;
  QPushButton* m_copy;
  QPushButton* m_save;
};

// Reads the whole result into a pull list and shows it; nothing when the reading was stopped.
void ShowPullList(CViewView* view);
