// The search screen as assistive technology reads it: through the accessibility interfaces only.
#include "ui/view_accessible.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "ui/bitmap_button.h"
#include "ui/filters_dialog.h"
#include "viewer_fixture.h"

namespace {

struct SeenEvent {
  QAccessible::Event type;
  QAccessibleInterface* iface;
  int modelChange;  // the kind of a table-model change, else -1
};

std::vector<SeenEvent>& Seen() {
  static std::vector<SeenEvent> seen;
  return seen;
}

void Record(QAccessibleEvent* event) {
  int change = -1;
  if (event->type() == QAccessible::TableModelChanged)
    change = static_cast<QAccessibleTableModelChangeEvent*>(event)->modelChangeType();
  Seen().push_back({event->type(), event->accessibleInterface(), change});
}

class AccessibleViewTest : public ViewerTest {
 protected:
  void SetUp() override {
    // The offscreen platform has no accessibility bridge, so QAccessible stays inactive and
    // drops every event; the view's notifications are recorded on their way to it instead.
    previous = SetAccessibleEventSink(&Record);
    AddStandardEntries(&roll);
    OpenWindow();
    Seen().clear();
  }
  void TearDown() override {
    CloseWindow();
    SetAccessibleEventSink(previous);
  }

  QAccessibleInterface* Of(QObject* object) const { return QAccessible::queryAccessibleInterface(object); }
  // The view's child with `role`; exactly one is expected.
  QAccessibleInterface* ChildWithRole(QAccessible::Role role) const {
    QAccessibleInterface* found = nullptr;
    QAccessibleInterface* iface = Of(view);
    for (int i = 0; i < iface->childCount(); ++i) {
      QAccessibleInterface* child = iface->child(i);
      if (child == nullptr || child->role() != role) continue;
      EXPECT_EQ(found, nullptr) << "two children with role " << role;
      EXPECT_EQ(iface->indexOfChild(child), i);
      EXPECT_EQ(child->parent(), iface);
      found = child;
    }
    return found;
  }
  QAccessibleInterface* CountLine() const { return ChildWithRole(QAccessible::StaticText); }
  QAccessibleInterface* Table() const { return ChildWithRole(QAccessible::Table); }
  QAccessibleTableInterface* Cells() const { return Table()->tableInterface(); }
  QString Cell(int row, int column) const {
    QAccessibleInterface* cell = Cells()->cellAt(row, column);
    return cell ? cell->text(QAccessible::Name) : QStringLiteral("<none>");
  }
  QStringList Row(int row) const { return {Cell(row, 0), Cell(row, 1), Cell(row, 2)}; }

  // How many events of `type` arrived for `iface` since the last Seen().clear().
  static int Count(QAccessible::Event type, QAccessibleInterface* iface, int change = -1) {
    int n = 0;
    for (const SeenEvent& e : Seen()) n += e.type == type && e.iface == iface && e.modelChange == change;
    return n;
  }

  AccessibleEventSink previous = nullptr;
};

TEST_F(AccessibleViewTest, FieldsAndPageButtonsHaveNamesWhereThePictureHasCaptions) {
  EXPECT_EQ(Of(view->NameField(0))->text(QAccessible::Name), QStringLiteral("Surname"));
  EXPECT_EQ(Of(view->NameField(1))->text(QAccessible::Name), QStringLiteral("Given Name"));
  EXPECT_EQ(Of(view->NameField(0))->role(), QAccessible::EditableText);
  EXPECT_EQ(Of(view->PrevButton())->text(QAccessible::Name), QStringLiteral("Previous page"));
  EXPECT_EQ(Of(view->NextButton())->text(QAccessible::Name), QStringLiteral("Next page"));
  EXPECT_EQ(Of(view->PrevButton())->role(), QAccessible::Button);
  EXPECT_TRUE(Of(view->NextButton())->state().disabled);
  EXPECT_EQ(Of(view->MoreInfoButton())->text(QAccessible::Name), QStringLiteral("More Info"));

  // The widgets stay the view's children beside the painted parts.
  QAccessibleInterface* iface = Of(view);
  EXPECT_EQ(iface->indexOfChild(Of(view->NameField(0))) >= 0, true);
  EXPECT_EQ(iface->childCount(), 9 + 2);
}

TEST_F(AccessibleViewTest, TheCountLineAndTheTableReadWhatIsPainted) {
  ASSERT_NE(CountLine(), nullptr);
  ASSERT_NE(Table(), nullptr);
  EXPECT_EQ(CountLine()->text(QAccessible::Name), QStringLiteral("0 records found."));
  EXPECT_EQ(Cells()->rowCount(), 0);
  EXPECT_EQ(Cells()->columnCount(), 3);
  EXPECT_EQ(Cells()->cellAt(0, 0), nullptr);
  EXPECT_EQ(Cells()->caption(), CountLine());

  // The column headings are the first children, and each cell names its own.
  QStringList headings;
  for (int i = 0; i < 3; ++i) {
    QAccessibleInterface* heading = Table()->child(i);
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->role(), QAccessible::ColumnHeader);
    headings << heading->text(QAccessible::Name);
    EXPECT_EQ(Cells()->columnDescription(i), heading->text(QAccessible::Name));
  }
  EXPECT_EQ(headings, (QStringList{"Surname", "Given Name", "Information"}));

  Search(QStringLiteral("Abbott"));
  EXPECT_EQ(CountLine()->text(QAccessible::Name), QStringLiteral("23 records found."));
  ASSERT_EQ(Cells()->rowCount(), 10);
  EXPECT_EQ(Table()->childCount(), 3 + 30);
  EXPECT_EQ(Row(0), (QStringList{"ABBOTT", "AARON", "J, B, 5 IL INF, PVT, ..."}));
  EXPECT_EQ(Row(9), (QStringList{"ABBOTT", "GEORGE", "J, B, 5 IL INF, PVT, ..."}));
  EXPECT_EQ(Cells()->cellAt(10, 0), nullptr);
  EXPECT_EQ(Cells()->cellAt(0, 3), nullptr);

  // Each cell knows its place, its heading and where it is painted on the screen.
  QAccessibleInterface* cell = Cells()->cellAt(4, 1);
  ASSERT_NE(cell, nullptr);
  QAccessibleTableCellInterface* place = cell->tableCellInterface();
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(place->rowIndex(), 4);
  EXPECT_EQ(place->columnIndex(), 1);
  EXPECT_EQ(place->table(), Table());
  ASSERT_EQ(place->columnHeaderCells().size(), 1);
  EXPECT_EQ(place->columnHeaderCells()[0]->text(QAccessible::Name), QStringLiteral("Given Name"));
  EXPECT_EQ(Table()->indexOfChild(cell), 3 + 4 * 3 + 1);
  const QRect onScreen(view->mapToGlobal(view->CellRect(4, 1).topLeft()), view->CellRect(4, 1).size());
  EXPECT_EQ(cell->rect(), onScreen);
  EXPECT_EQ(Table()->childAt(onScreen.center().x(), onScreen.center().y()), cell);
  EXPECT_EQ(Of(view)->childAt(onScreen.center().x(), onScreen.center().y()), Table());
  const QPoint gap = view->mapToGlobal(QPoint(150, view->CellRect(4, 1).center().y()));
  EXPECT_EQ(Table()->childAt(gap.x(), gap.y()), nullptr);

  // A row without a name text reads as it is painted: the summary moved into the second column.
  Search(QStringLiteral("Baker"));
  EXPECT_EQ(CountLine()->text(QAccessible::Name), QStringLiteral("1 records found."));
  EXPECT_EQ(Row(0), (QStringList{"BAKER", "J, C, 5 IL INF, PVT, ...", ""}));
  // Text that is not plain ASCII reaches the reader as the letter it is.
  Search(QStringLiteral("Dunn"));
  EXPECT_EQ(Cell(0, 1), QString::fromUtf8("JOS\u00C9"));
}

TEST_F(AccessibleViewTest, TheSelectedRowIsReportedAndEveryChangeOfItIsAnnounced) {
  Search(QStringLiteral("Abbott"));
  EXPECT_TRUE(Cells()->selectedRows().isEmpty());
  EXPECT_EQ(Cells()->selectedCellCount(), 0);
  Seen().clear();

  ClickRow(2);
  EXPECT_EQ(Cells()->selectedRows(), QList<int>{2});
  EXPECT_EQ(Cells()->selectedRowCount(), 1);
  EXPECT_TRUE(Cells()->isRowSelected(2));
  ASSERT_EQ(Cells()->selectedCells().size(), 3);
  EXPECT_EQ(Cells()->selectedCells()[1]->text(QAccessible::Name), QStringLiteral("ALBERT"));
  for (int column = 0; column < 3; ++column) {
    QAccessibleInterface* cell = Cells()->cellAt(2, column);
    EXPECT_TRUE(cell->state().selected) << column;
    EXPECT_TRUE(cell->state().selectable) << column;
    EXPECT_FALSE(Cells()->cellAt(3, column)->state().selected) << column;
    EXPECT_EQ(Count(QAccessible::SelectionAdd, cell), 1) << column;
  }
  EXPECT_EQ(Count(QAccessible::SelectionWithin, Table()), 1);

  // Another row: the old one is announced as left, the new one as taken.
  Seen().clear();
  ClickRow(5);
  EXPECT_EQ(Cells()->selectedRows(), QList<int>{5});
  EXPECT_EQ(Count(QAccessible::SelectionRemove, Cells()->cellAt(2, 0)), 1);
  EXPECT_EQ(Count(QAccessible::SelectionAdd, Cells()->cellAt(5, 2)), 1);

  // The same row again changes nothing, and says nothing.
  Seen().clear();
  ClickRow(5);
  EXPECT_EQ(Count(QAccessible::SelectionWithin, Table()), 0);

  // A reader may select a row itself; it is the same as a click on it.
  ASSERT_TRUE(Cells()->selectRow(7));
  EXPECT_EQ(view->SelectedRow(), 7);
  EXPECT_TRUE(view->MoreInfoButton()->isEnabled());
  EXPECT_FALSE(Cells()->selectRow(10)) << "no such row on the page";
  EXPECT_EQ(view->SelectedRow(), 7);
  EXPECT_FALSE(Cells()->unselectRow(3));
  ASSERT_TRUE(Cells()->unselectRow(7));
  EXPECT_EQ(view->SelectedRow(), -1);
  EXPECT_FALSE(view->MoreInfoButton()->isEnabled());
  EXPECT_FALSE(Cells()->selectColumn(1));
}

TEST_F(AccessibleViewTest, ANewPageOrClearIsAnnouncedAndDropsTheSelection) {
  Search(QStringLiteral("Abbott"));
  ClickRow(3);
  QAccessibleInterface* table = Table();
  QAccessibleInterface* countLine = CountLine();
  Seen().clear();

  QTest::mouseClick(view->NextButton(), Qt::LeftButton);
  EXPECT_EQ(Count(QAccessible::TableModelChanged, table, QAccessibleTableModelChangeEvent::ModelReset), 1);
  EXPECT_EQ(Count(QAccessible::NameChanged, countLine), 1);
  EXPECT_TRUE(Cells()->selectedRows().isEmpty());
  EXPECT_EQ(Cells()->rowCount(), 10);
  EXPECT_EQ(Cell(0, 1), QStringLiteral("HENRY"));

  QTest::mouseClick(view->NextButton(), Qt::LeftButton);
  EXPECT_EQ(Cells()->rowCount(), 3);
  EXPECT_EQ(Cells()->cellAt(3, 0), nullptr);
  EXPECT_EQ(Cell(2, 1), QStringLiteral("WILLIAM"));

  Seen().clear();
  QTest::mouseClick(view->ClearButton(), Qt::LeftButton);
  EXPECT_EQ(Count(QAccessible::TableModelChanged, table, QAccessibleTableModelChangeEvent::ModelReset), 1);
  EXPECT_EQ(Count(QAccessible::NameChanged, countLine), 1);
  EXPECT_EQ(countLine->text(QAccessible::Name), QStringLiteral("0 records found."));
  EXPECT_EQ(Cells()->rowCount(), 0);
}

TEST_F(AccessibleViewTest, ThePaintedPartsGoAwayWithTheView) {
  Search(QStringLiteral("Abbott"));
  const QAccessible::Id table = QAccessible::uniqueId(Table());
  const QAccessible::Id countLine = QAccessible::uniqueId(CountLine());
  const QAccessible::Id cell = QAccessible::uniqueId(Cells()->cellAt(1, 2));
  ASSERT_NE(QAccessible::accessibleInterface(cell), nullptr);
  CloseWindow();
  EXPECT_EQ(QAccessible::accessibleInterface(table), nullptr);
  EXPECT_EQ(QAccessible::accessibleInterface(countLine), nullptr);
  EXPECT_EQ(QAccessible::accessibleInterface(cell), nullptr);
}

// The table takes no focus (the tab order has no stop for it), so the focus stays in a name box
// while Up and Down select: the box carries the selected row as its description, and says when
// it changes, so that a reader following the focus reads the row.
TEST_F(AccessibleViewTest, TheNameBoxWithTheFocusDescribesTheSelectedRow) {
  Search(QStringLiteral("Abbott"));
  QLineEdit* surname = view->NameField(0);
  ASSERT_EQ(Focus(), surname);
  EXPECT_EQ(Of(surname)->text(QAccessible::Description), QString());
  Seen().clear();

  QTest::keyClick(surname, Qt::Key_Down);
  const QString first = QStringLiteral("Entry 1 of 23: ABBOTT, ") + view->FieldText(0, 1) +
                        QStringLiteral(", ") + view->FieldText(0, 2);
  EXPECT_EQ(Of(surname)->text(QAccessible::Description), first);
  EXPECT_EQ(Of(view->NameField(1))->text(QAccessible::Description), first) << "the other box, for Tab";
  EXPECT_EQ(Count(QAccessible::DescriptionChanged, Of(surname)), 1);
  EXPECT_EQ(Focus(), surname) << "the tab order and the focus stay as they are";

  // Down to the next page: its first row, counted through the whole result.
  for (int i = 0; i < 10; ++i) QTest::keyClick(surname, Qt::Key_Down);
  EXPECT_EQ(view->SelectedRow(), 0);
  EXPECT_TRUE(
      Of(surname)->text(QAccessible::Description).startsWith(QStringLiteral("Entry 11 of 23: ABBOTT, ")))
      << Of(surname)->text(QAccessible::Description).toStdString();

  // A page turned by its button, or Clear, leaves no row selected, and the box says nothing more.
  QTest::mouseClick(view->NextButton(), Qt::LeftButton);
  EXPECT_EQ(Of(surname)->text(QAccessible::Description), QString());
  QTest::keyClick(surname, Qt::Key_Down);
  EXPECT_TRUE(Of(surname)->text(QAccessible::Description).startsWith(QStringLiteral("Entry 21 of 23: ")));
  Seen().clear();
  QTest::mouseClick(view->ClearButton(), Qt::LeftButton);
  EXPECT_EQ(Of(surname)->text(QAccessible::Description), QString());
  EXPECT_EQ(Count(QAccessible::DescriptionChanged, Of(surname)), 1);
}

// The More Info text and the side buttons of Filters are named, as a reader announces them.
TEST_F(AccessibleViewTest, TheDetailsTextAndTheSideButtonsHaveNames) {
  Search(QStringLiteral("Abbott"));
  ClickRow(1);
  QString name;
  QString text;
  OnNextModal([&](QWidget* modal) {
    auto* details = modal->findChild<QPlainTextEdit*>(QStringLiteral("details"));
    ASSERT_NE(details, nullptr);
    name = Of(details)->text(QAccessible::Name);
    text = Of(details)->textInterface()->text(0, Of(details)->textInterface()->characterCount());
    QTest::keyClick(modal, Qt::Key_Return);
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_EQ(name, QStringLiteral("Details"));
  EXPECT_TRUE(text.startsWith(QStringLiteral("Middle Initial:"))) << text.toStdString();

  FiltersDialog filters(EntryFilter(), frame.get());
  for (const char side : {'\0', 'U', 'C'}) {
    QAccessibleInterface* group = Of(filters.SideButton(side))->parent();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->role(), QAccessible::Grouping) << side;
    EXPECT_EQ(group->text(QAccessible::Name), QStringLiteral("Side")) << side;
  }
}

}  // namespace
