// A search window over a test database, driven the way a person drives it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QTest>

#include "app/main_frame.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"
#include "ui/hist_view.h"

class QWidget;

// Readable failure messages for the Qt values the tests compare.
void PrintTo(const QRect& rect, std::ostream* os);
void PrintTo(const QSize& size, std::ostream* os);
void PrintTo(const QPoint& point, std::ostream* os);
void PrintTo(const QString& text, std::ostream* os);

// Waits (processing events, up to five seconds) until `condition` holds; a failure names it.
// Qt Test's QTRY_ macros report to Qt Test, not to GoogleTest, so they are not used here.
#define EXPECT_SOON(condition) \
  EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); })) << "waited for " #condition
#define ASSERT_SOON(condition) \
  ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); })) << "waited for " #condition

// 23 ABBOTTs (three pages of ten, five of them JOHN...), one BAKER whose name text is empty,
// one CARTER whose surname and name texts end in blanks, one DUNN with a Windows-1252 letter.
void AddStandardEntries(TestRoll* roll);

// Runs `action` once with the next modal dialog as soon as it is up (inside its modal loop).
// The returned watcher deletes itself after it has run; delete it to stop waiting.
QObject* OnNextModal(std::function<void(QWidget*)> action);

// Types `text` key by key; characters without a key code arrive as text-only key events.
void TypeText(QWidget* widget, const QString& text);

class ViewerTest : public ::testing::Test {
 protected:
  ViewerTest();
  ~ViewerTest() override;

  // Builds the database and opens the window the way start-up does: document, frame and view,
  // initial update, first activation. Waits until it is shown and active. `familyDirectory`, if
  // given, stands for the KinloomDir setting.
  void OpenWindow(const char* familyDirectory = nullptr);
  // Closes and destroys the window (the view's teardown included).
  void CloseWindow();

  // Types into the fields (emptied first) and presses Enter in the surname field.
  void Search(const QString& surname, const QString& given = QString());
  void ClickAt(const QPoint& point);
  // A double click as the window system delivers it: press, release, press, double click.
  void DoubleClickAt(const QPoint& point);
  // Clicks the middle of the first cell of `row`.
  void ClickRow(int row);

  QImage Grab() const;
  QWidget* Focus() const;

  TestRoll roll;
  ScriptedMessageBox boxes;
  std::unique_ptr<CMainFrame> frame;
  CHistView* view = nullptr;
};
