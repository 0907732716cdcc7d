// The result list's keys, typed where the focus rules keep the focus: in the surname field, or
// on the page button the paging rule gave it.
#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <cstdio>

#include "ui/bitmap_button.h"
#include "viewer_fixture.h"

namespace {

class ViewKeysTest : public ViewerTest {
 protected:
  // ABBOTT: 23 rows, pages of 10, 10 and 3.
  void SetUp() override {
    AddStandardEntries(&roll);
    OpenWindow();
    Search(QStringLiteral("Abbott"));
    ASSERT_EQ(view->PageCount(), 3);
  }

  void Key(int key, QWidget* at = nullptr, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(at ? at : view->NameField(0), static_cast<Qt::Key>(key), modifiers);
  }
  // Ctrl+`key` in the surname field.
  void CtrlKey(int key) { Key(key, nullptr, Qt::ControlModifier); }
  // The given name of the selected row ("" when none is selected).
  QString Selected() const {
    return view->SelectedRow() < 0 ? QString() : view->FieldText(view->SelectedRow(), 1);
  }
  std::string Marker() const { return roll.dataDir + "mrdb.id"; }
};

TEST_F(ViewKeysTest, UpAndDownWalkTheRowsAndCrossThePagesAndTheFocusStaysInTheField) {
  Key(Qt::Key_Down);
  EXPECT_EQ(Selected(), QStringLiteral("AARON")) << "no selection: Down takes the first row";
  EXPECT_TRUE(view->MoreInfoButton()->isEnabled());
  for (int i = 0; i < 9; ++i) Key(Qt::Key_Down);
  EXPECT_EQ(view->SelectedRow(), 9);
  EXPECT_EQ(Selected(), QStringLiteral("GEORGE"));

  // Down on the last row turns to the next page and takes its first row.
  Key(Qt::Key_Down);
  EXPECT_EQ(view->PageIndex(), 1);
  EXPECT_EQ(view->SelectedRow(), 0);
  EXPECT_EQ(Selected(), QStringLiteral("HENRY"));
  // Up on the first row goes back to the last row of the page before.
  Key(Qt::Key_Up);
  EXPECT_EQ(view->PageIndex(), 0);
  EXPECT_EQ(view->SelectedRow(), 9);
  EXPECT_EQ(Selected(), QStringLiteral("GEORGE"));
  EXPECT_EQ(Focus(), view->NameField(0));

  // The highlight follows: the row painted inverted is the selected one.
  const QImage picture = Grab();
  const QRgb inside = picture.pixel(view->CellRect(9, 2).topLeft() + QPoint(1, 1));
  const QRgb other = picture.pixel(view->CellRect(8, 2).topLeft() + QPoint(1, 1));
  EXPECT_NE(inside, other);

  // At the very ends nothing more happens.
  CtrlKey(Qt::Key_End);
  for (int i = 0; i < 5; ++i) Key(Qt::Key_Down);
  EXPECT_EQ(view->PageIndex(), 2);
  EXPECT_EQ(Selected(), QStringLiteral("WILLIAM"));
  CtrlKey(Qt::Key_Home);
  Key(Qt::Key_Up);  // no selection after a page change: Up takes the last row of the page
  EXPECT_EQ(view->SelectedRow(), 9);
  Key(Qt::Key_PageUp);
  for (int i = 0; i < 12; ++i) Key(Qt::Key_Up);
  EXPECT_EQ(view->PageIndex(), 0);
  EXPECT_EQ(Selected(), QStringLiteral("AARON"));
  EXPECT_EQ(Focus(), view->NameField(0));
}

TEST_F(ViewKeysTest, PageKeysCtrlHomeAndCtrlEndTurnThePagesAndNameThemInTheButtonsTooltips) {
  EXPECT_EQ(frame->PageText(), QStringLiteral("Page 1 of 3"));
  EXPECT_EQ(view->NextButton()->toolTip(), QStringLiteral("Next page (2 of 3)"));
  EXPECT_EQ(view->PrevButton()->toolTip(), QStringLiteral("Previous page"));

  Key(Qt::Key_PageDown);
  EXPECT_EQ(view->PageIndex(), 1);
  EXPECT_EQ(view->SelectedRow(), -1);
  EXPECT_STREQ(view->RowText(0), "ABBOTT\tHENRY\tJ, B, 5 IL INF, PVT, ...");
  EXPECT_EQ(view->NextButton()->toolTip(), QStringLiteral("Next page (3 of 3)"));
  EXPECT_EQ(view->PrevButton()->toolTip(), QStringLiteral("Previous page (1 of 3)"));

  EXPECT_EQ(frame->PageText(), QStringLiteral("Page 2 of 3"));
  CtrlKey(Qt::Key_End);
  EXPECT_EQ(view->PageIndex(), 2);
  EXPECT_EQ(view->Results()->RowCount(), 3);
  EXPECT_EQ(frame->PageText(), QStringLiteral("Page 3 of 3"));
  EXPECT_FALSE(view->NextButton()->isEnabled());
  EXPECT_EQ(view->NextButton()->toolTip(), QStringLiteral("Next page"));
  Key(Qt::Key_PageDown);  // no page after the last
  EXPECT_EQ(view->PageIndex(), 2);

  CtrlKey(Qt::Key_Home);
  EXPECT_EQ(view->PageIndex(), 0);
  EXPECT_STREQ(view->RowText(0), "ABBOTT\tAARON\tJ, B, 5 IL INF, PVT, ...");
  Key(Qt::Key_PageUp);
  EXPECT_EQ(view->PageIndex(), 0);
  // Unlike the page buttons, the keys leave the focus in the field.
  EXPECT_EQ(Focus(), view->NameField(0));

  // The keys work on a focused button as well.
  view->ClearButton()->setFocus();
  Key(Qt::Key_PageDown, view->ClearButton());
  EXPECT_EQ(view->PageIndex(), 1);
  Key(Qt::Key_Down, view->ClearButton());
  EXPECT_EQ(Selected(), QStringLiteral("HENRY"));
}

TEST_F(ViewKeysTest, HomeAndEndMoveTheCaretInANameFieldAndPageOnAPageButton) {
  QLineEdit* field = view->NameField(0);
  ASSERT_EQ(field->text(), QStringLiteral("Abbott"));
  Key(Qt::Key_Home);
  EXPECT_EQ(field->cursorPosition(), 0);
  Key(Qt::Key_End);
  EXPECT_EQ(field->cursorPosition(), 6);
  Key(Qt::Key_Home, field, Qt::ShiftModifier);
  EXPECT_EQ(field->selectedText(), QStringLiteral("Abbott"));
  EXPECT_EQ(view->PageIndex(), 0);

  // On a page button they page, and the paging rule keeps the focus on an enabled button.
  view->NextButton()->setFocus();
  Key(Qt::Key_End, view->NextButton());
  EXPECT_EQ(view->PageIndex(), 2);
  EXPECT_FALSE(view->NextButton()->isEnabled());
  EXPECT_EQ(Focus(), view->PrevButton());
  Key(Qt::Key_Home, view->PrevButton());
  EXPECT_EQ(view->PageIndex(), 0);
  EXPECT_EQ(Focus(), view->NextButton());

  // Before any search, and after Clear, the keys do nothing to the empty list.
  view->OnClear();
  EXPECT_EQ(frame->PageText(), QString()) << "no result, no page";
  QTest::keyClicks(field, QStringLiteral("Dunn"));
  for (int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp}) Key(key);
  EXPECT_EQ(view->SelectedRow(), -1);
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
  Key(Qt::Key_Home);
  EXPECT_EQ(field->cursorPosition(), 0);
}

TEST_F(ViewKeysTest, TheSelectedRowIsSpelledOutInTheStripAndEveryRowInItsTooltip) {
  const QString words = QStringLiteral(
      "Middle initial J; Company B; 5th Illinois Infantry (Union); rank in PVT, rank out CORP");
  EXPECT_EQ(frame->RowText(), QString());
  Key(Qt::Key_Down);
  EXPECT_EQ(frame->RowText(), words);

  auto tipAt = [this](const QPoint& point) {
    QHelpEvent help(QEvent::ToolTip, point, view->mapToGlobal(point));
    QApplication::sendEvent(view, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  EXPECT_EQ(tipAt(view->CellRect(4, 2).center()), words);
  // Past the last row of a short page there is no row, and no tip.
  CtrlKey(Qt::Key_End);
  EXPECT_EQ(frame->RowText(), QString()) << "the selection went with the page";
  tipAt(view->CellRect(5, 2).center());
  EXPECT_SOON(!QToolTip::isVisible());
  EXPECT_EQ(tipAt(view->CellRect(2, 0).center()), words);
}

TEST_F(ViewKeysTest, EnterOpensMoreInfoFromAPageButtonAndStillSearchesFromAField) {
  // Enter in the surname field searches, as it always has: the selection goes with the old rows.
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);
  Key(Qt::Key_Return);
  EXPECT_EQ(view->SelectedRow(), -1);
  EXPECT_EQ(view->CountLine(), QStringLiteral("23 records found."));

  // On a page button with no row selected, Enter presses the button.
  view->NextButton()->setFocus();
  Key(Qt::Key_Return, view->NextButton());
  EXPECT_SOON(view->PageIndex() == 1);

  // With a row selected (Down typed on the button), Enter opens that row.
  Key(Qt::Key_Down, view->NextButton());
  Key(Qt::Key_Down, view->NextButton());
  QString caption;
  OnNextModal([&](QWidget* modal) {
    caption = modal->windowTitle();
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  Key(Qt::Key_Return, view->NextButton());
  EXPECT_EQ(caption, QStringLiteral("ABBOTT, ISAAC"));
  EXPECT_EQ(view->PageIndex(), 1) << "Enter opened the row instead of turning the page";

  // A push button keeps Enter for itself: Clear with a row selected clears.
  ClickRow(0);
  view->ClearButton()->setFocus();
  Key(Qt::Key_Return, view->ClearButton());
  EXPECT_SOON(view->CountLine() == QStringLiteral("0 records found."));
}

TEST_F(ViewKeysTest, ACancelledDiskPromptLeavesPageAndSelectionAsTheyWere) {
  for (int i = 0; i < 10; ++i) Key(Qt::Key_Down);
  ASSERT_EQ(view->SelectedRow(), 9);
  std::remove(Marker().c_str());
  boxes.Answer({kIdCancel, kIdCancel, kIdCancel});
  Key(Qt::Key_Down);
  Key(Qt::Key_PageDown);
  CtrlKey(Qt::Key_End);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>(3, kDiskPrompt));
  EXPECT_EQ(view->PageIndex(), 0);
  EXPECT_EQ(view->SelectedRow(), 9);
  EXPECT_EQ(Selected(), QStringLiteral("GEORGE"));
  EXPECT_EQ(view->NextButton()->toolTip(), QStringLiteral("Next page (2 of 3)"));
}

}  // namespace
