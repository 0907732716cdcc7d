// The program's own About box (Help > About Dravenholt): its name and version, what it is, the
// licences of what it is built with and the attributions of the data it looks units and battles
// up in. The classic About box (app/about_dialog.h) stays as it was, shown by the About command.
#pragma once

#include <QDialog>
#include <QString>

class ProgramAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit ProgramAboutBox(QWidget* parent = nullptr);

  // The box's text (rich text), for assistive technology and tests.
  static QString Text();
};
