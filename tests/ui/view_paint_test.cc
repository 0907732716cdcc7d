// The painted result table: count line, rows, selection by mouse and its inversion.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/view_doc.h"
#include "ui/bitmap_button.h"
#include "ui/help_window.h"
#include "viewer_fixture.h"

namespace {

class ViewPaintTest : public ViewerTest {
 protected:
  void SetUp() override { AddStandardEntries(&roll); }

  // The backdrop at `point` (what an unpainted pixel looks like).
  QRgb Backdrop(const QPoint& point) const {
    return frame->Document()->backdrop->toImage().pixel(point);
  }
  // True when any pixel of `rect` differs between the two images.
  static bool Differs(const QImage& a, const QImage& b, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x)
        if (a.pixel(x, y) != b.pixel(x, y)) return true;
    return false;
  }
  // True when every pixel of `rect` in `after` is the inverse of `before`.
  static bool Inverted(const QImage& before, const QImage& after, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x)
        if ((after.pixel(x, y) & 0xFFFFFF) != (~before.pixel(x, y) & 0xFFFFFF)) return false;
    return true;
  }
};

TEST_F(ViewPaintTest, SearchFillsTheCountLineRowsAndPageButtons) {
  OpenWindow();
  const QImage empty = Grab();
  Search(QStringLiteral("abbott"));
  EXPECT_EQ(view->CountLine(), QStringLiteral("23 records found."));
  ASSERT_EQ(view->Results()->RowCount(), 10);
  EXPECT_STREQ(view->RowText(0), "ABBOTT\tAARON\tJ, B, 5 IL INF, PVT, ...");
  EXPECT_STREQ(view->RowText(9), "ABBOTT\tGEORGE\tJ, B, 5 IL INF, PVT, ...");
  EXPECT_TRUE(view->NextButton()->isEnabled());
  EXPECT_FALSE(view->PrevButton()->isEnabled());
  EXPECT_FALSE(view->MoreInfoButton()->isEnabled());

  // The rows and the count line are painted; nothing outside the table changed.
  const QImage page = Grab();
  const int h = view->TextHeight();
  for (int column = 0; column < 3; ++column) {
    EXPECT_TRUE(Differs(empty, page, view->CellRect(0, column))) << column;
    EXPECT_TRUE(Differs(empty, page, view->CellRect(9, column))) << column;
  }
  EXPECT_FALSE(Differs(empty, page, view->CellRect(10, 0).intersected(rcResultList)));
  EXPECT_TRUE(Differs(empty, page, rcCountLine));
  EXPECT_FALSE(Differs(empty, page, QRect(0, 0, 632, 140)));
  EXPECT_GE(h, 10);

  // A surname that is not in the roll: 0 rows, page buttons off, the old rows restored.
  Search(QStringLiteral("Zyzzyva"));
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
  EXPECT_FALSE(view->NextButton()->isEnabled());
  EXPECT_FALSE(Differs(empty, Grab(), rcResultList));
}

TEST_F(ViewPaintTest, AnEmptyNameTextShiftsTheSummaryLeftAndLongTextIsClipped) {
  roll.Add("Ellis", std::string(200, 'W'), SampleFields("F"));
  OpenWindow();
  const QImage empty = Grab();
  Search(QStringLiteral("Baker"));
  ASSERT_EQ(view->Results()->RowCount(), 1);
  EXPECT_STREQ(view->RowText(0), "BAKER\t\tJ, C, 5 IL INF, PVT, ...");
  QImage page = Grab();
  EXPECT_TRUE(Differs(empty, page, view->CellRect(0, 1)));
  EXPECT_FALSE(Differs(empty, page, view->CellRect(0, 2))) << "third column stays empty";

  // 200 W's do not fit the second column: nothing is drawn in the gap after it (its last
  // pixels are left out: a glyph of the third column may reach left of its origin).
  Search(QStringLiteral("Ellis"));
  page = Grab();
  const QRect gap(286, view->CellRect(0, 1).top(), 300 - 286, view->TextHeight());
  EXPECT_TRUE(Differs(empty, page, view->CellRect(0, 1)));
  EXPECT_FALSE(Differs(empty, page, gap));
}

TEST_F(ViewPaintTest, ClickSelectsAndInvertsTheThreeCellsButNotTheGaps) {
  OpenWindow();
  Search(QStringLiteral("Abbott"));
  const QImage before = Grab();

  ClickRow(2);
  EXPECT_EQ(view->SelectedRow(), 2);
  EXPECT_TRUE(view->MoreInfoButton()->isEnabled());
  QImage after = Grab();
  for (int column = 0; column < 3; ++column)
    EXPECT_TRUE(Inverted(before, after, view->CellRect(2, column))) << column;
  const int top = view->CellRect(2, 0).top();
  const int h = view->TextHeight();
  EXPECT_FALSE(Differs(before, after, QRect(145, top, 165 - 145, h))) << "first gap";
  EXPECT_FALSE(Differs(before, after, QRect(286, top, 306 - 286, h))) << "second gap";
  EXPECT_FALSE(Differs(before, after, view->RowRect(1)));

  // Clicking the selected row again keeps it; another row moves the highlight.
  ClickRow(2);
  EXPECT_EQ(view->SelectedRow(), 2);
  EXPECT_TRUE(Inverted(before, Grab(), view->CellRect(2, 0)));
  ClickAt(QPoint(150, view->RowRect(5).center().y()));  // in the gap, row 5
  EXPECT_EQ(view->SelectedRow(), 5);
  after = Grab();
  EXPECT_FALSE(Differs(before, after, view->RowRect(2)));
  EXPECT_TRUE(Inverted(before, after, view->CellRect(5, 1)));
  EXPECT_FALSE(Differs(before, after, QRect(145, view->RowRect(5).top(), 20, h)));

  // Clicks outside the list rectangle change nothing.
  for (const QPoint& outside : {QPoint(20, 240), QPoint(602, 240), QPoint(100, 413), QPoint(100, 236)}) {
    ClickAt(outside);
    EXPECT_EQ(view->SelectedRow(), 5) << outside.x() << "," << outside.y();
  }

  // A click below the last row clears the selection.
  Search(QStringLiteral("Baker"));
  ClickRow(0);
  ASSERT_EQ(view->SelectedRow(), 0);
  const QImage one = Grab();
  ClickAt(QPoint(100, view->RowRect(3).center().y()));
  EXPECT_EQ(view->SelectedRow(), -1);
  EXPECT_FALSE(view->MoreInfoButton()->isEnabled());
  EXPECT_TRUE(Inverted(one, Grab(), view->CellRect(0, 0))) << "the highlight was removed";
}

TEST_F(ViewPaintTest, AFullPaintPutsTheFocusBackInTheSurnameField) {
  OpenWindow();
  view->ClearButton()->setFocus();
  ASSERT_EQ(Focus(), view->ClearButton());
  // A control repainting itself is not a paint of the screen.
  view->ClearButton()->repaint();
  EXPECT_EQ(Focus(), view->ClearButton());
  view->repaint();
  EXPECT_EQ(Focus(), view->NameField(0));
}

class LargeFontTest : public ViewPaintTest {
 protected:
  void SetUp() override {
    ViewPaintTest::SetUp();
    saved = QApplication::font();
    QFont large = saved;
    large.setPixelSize(20);
    QApplication::setFont(large);
  }
  void TearDown() override {
    CloseWindow();
    QApplication::setFont(saved);
  }
  QFont saved;
};

TEST_F(LargeFontTest, PagesHoldEightRowsAndHelpAndQuitMoveUp) {
  OpenWindow();
  ASSERT_GE(view->TextHeight(), 20);
  EXPECT_EQ(view->HelpButton()->geometry(), QRect(365, 422, 96, 20));
  EXPECT_EQ(view->QuitButton()->geometry(), QRect(466, 422, 96, 20));
  EXPECT_EQ(view->SearchButton()->geometry().top(), 425);

  Search(QStringLiteral("Abbott"));
  EXPECT_EQ(view->Results()->RowCount(), 8);
  // The eighth row may reach below the list rectangle; its top is inside.
  ClickAt(QPoint(30, view->RowRect(7).top() + 1));
  EXPECT_EQ(view->SelectedRow(), 7);
  // Row 7 at this height lies near the bottom of the list; a click in row 8's place finds no row.
  if (view->RowRect(8).top() < rcResultList.bottom()) {
    ClickAt(QPoint(100, view->RowRect(8).top()));
    EXPECT_EQ(view->SelectedRow(), -1);
  }
}

TEST(ViewWithoutBackdropTest, DrawsNothingButTheControlsStillWork) {
  TestRoll roll;
  AddStandardEntries(&roll);
  roll.Build();
  ScriptedMessageBox boxes;
  CViewDoc document;  // never opened: no backdrop
  CHistView view(&document, roll.location, nullptr);
  ASSERT_EQ(view.OnCreate(), 0);
  view.resize(632, 453);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  QTest::keyClicks(view.NameField(0), QStringLiteral("Abbott"));
  QTest::keyClick(view.NameField(0), Qt::Key_Return);
  EXPECT_EQ(view.Results()->ResultCount(), 23);
  EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
