// A search window over a test database, driven the way a person drives it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>

#include "app/main_frame.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"
#include "ui/hist_view.h"

class QWidget;

// 23 ABBOTTs (three pages of ten, five of them JOHN...), one BAKER whose name text is empty,
// one CARTER whose surname and name texts end in blanks, one DUNN with a Windows-1252 letter.
void AddStandardEntries(TestRoll* roll);

// Runs `action` with the next modal dialog as soon as it is up (inside its modal loop).
void OnNextModal(std::function<void(QWidget*)> action);

class ViewerTest : public ::testing::Test {
 protected:
  ViewerTest();
  ~ViewerTest() override;

  // Builds the database and opens the window the way start-up does: document, frame and view,
  // initial update, first activation. Waits until it is shown and active.
  void OpenWindow();
  // Closes and destroys the window (the view's teardown included).
  void CloseWindow();

  // Types into the fields (emptied first) and presses Enter in the surname field.
  void Search(const QString& surname, const QString& given = QString());
  void ClickAt(const QPoint& point);
  // Clicks the middle of the first cell of `row`.
  void ClickRow(int row);

  QImage Grab() const;
  QWidget* Focus() const;

  TestRoll roll;
  ScriptedMessageBox boxes;
  std::unique_ptr<CMainFrame> frame;
  CHistView* view = nullptr;
};
