// The program's help: a window of its own on the built-in guide. It names the family's help file
// and says whether that file is there; the view closes it when the program ends. Escape closes it.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // `helpFilePath` is the family directory followed by the help file's name; `familyDirectorySet`
  // is false when brevik.ini names no family directory (the path is then no place the user chose,
  // and the guide says that instead of showing it).
  HelpWindow(const QString& helpFilePath, bool familyDirectorySet);

  // Shows the guide (opening the window or bringing it forward).
  void ShowGuide();

  QString Text() const;

 private:
  QTextBrowser* m_browser;
};
