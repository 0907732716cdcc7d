// The About box: the program's icon, its version line, a notice and OK.
#pragma once

#include <QDialog>

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr const char* kVersionLine = "View Application Version 1.0";
inline constexpr const char* kNoticeLine = "Muster rolls of the American Civil War";

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
  int DoModal() { return exec(); }
};

// The program's icon (the frame's and the About box's picture).
QIcon AppIcon();
