// The Unit window as a person reaches it: from a soldier's More Info to his company's roster on
// the main screen, and from the Find menu's Unit... to the whole regiment; the roster then pages,
// selects and opens More Info as any result does, and the strip names it.
#include "ui/unit_window.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/more_info_dialog.h"
#include "ui/unit_actions.h"
#include "viewer_fixture.h"

namespace {

std::vector<std::string> Fields(const std::string& company, const std::string& unit,
                                const std::string& side) {
  return {"J", company, unit, "PVT", "PVT", "", "1", "2", "3", side};
}

class UnitWindowTest : public ViewerTest {
 protected:
  void SetUp() override {
    roll.Add("Kelly", "PATRICK", Fields("D", "5 IL INF", "U"));
    roll.Add("Kelly", "JOHN", Fields("A", "5 IL INF", "U"));
    roll.Add("Kelly", "MICHAEL", Fields("D", "5 IL INF", "C"));  // another side's regiment
    for (int i = 0; i < 12; ++i)
      roll.Add("Adams", "N" + std::to_string(10 + i), Fields("d", "5 il inf", "U"));
    roll.Add("Baker", "ABEL", Fields("D", "15 IL INF", "U"));
    roll.Add("Cole", "AMOS", Fields("", "5 IL INF", "U"));
    OpenWindow();
  }

  QPushButton* Button(QWidget* dialog, const QString& text) {
    for (auto* b : dialog->findChildren<QPushButton*>()) {
      if (b->text() == text) return b;
    }
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
  }

  std::string Row(int row) const { return view->Screen().RowText(row); }
};

TEST_F(UnitWindowTest, FromMoreInfoToTheCompanysRosterAndOnToAComradesMoreInfo) {
  Search(QStringLiteral("Kelly"));
  ASSERT_EQ(view->Screen().CountLine(), "3 records found.");
  int patrick = -1;
  for (int row = 0; row < view->ShownRowCount(); ++row) {
    if (Row(row).find("PATRICK") != std::string::npos) patrick = row;
  }
  ASSERT_GE(patrick, 0);
  view->SelectRow(patrick);

  QString report;
  OnNextModal([&](QWidget* dialog) {
    auto* info = qobject_cast<MoreInfoDialog*>(dialog);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->UnitButton()->isEnabled());
    OnNextModal([&](QWidget* window) {
      auto* unit = qobject_cast<UnitWindow*>(window);
      ASSERT_NE(unit, nullptr);
      report = unit->Report()->toPlainText();
      EXPECT_TRUE(unit->RegimentButton()->isEnabled());
      ASSERT_EQ(unit->CompanyButton()->text(), QStringLiteral("Show Company D"));
      unit->CompanyButton()->click();
    });
    info->UnitButton()->click();
  });
  view->OnMoreInfo();

  // Company D of the Union's 5th Illinois, by surname then given name; neither the Confederate
  // KELLY nor the 15th's BAKER.
  EXPECT_NE(report.indexOf(QStringLiteral("5th Regiment, Illinois Infantry")), -1) << report.toStdString();
  ASSERT_SOON(view->Screen().ShownRoster() != nullptr);
  EXPECT_EQ(view->Screen().CountLine(), "13 records found.");
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Roster \u00B7 5 IL INF \u00B7 Company D"));
  EXPECT_EQ(view->ShownRowCount(), 10);
  EXPECT_EQ(Row(0).substr(0, 9), "ADAMS\tN10");
  view->Screen().OnNextPage();
  EXPECT_EQ(view->ShownRowCount(), 3);
  EXPECT_EQ(Row(2).substr(0, 13), "KELLY\tPATRICK");

  // A comrade's More Info, as for any result.
  view->SelectRow(0);
  std::string caption, body;
  ASSERT_TRUE(view->Screen().MoreInfo(&caption, &body));
  EXPECT_EQ(caption, "ADAMS, N20");
}

TEST_F(UnitWindowTest, FindMenuUnitShowsTheWholeRegimentOfTheSideAsked) {
  UnitActions* units = frame->Units();
  ASSERT_NE(units, nullptr);
  OnNextModal([&](QWidget* ask) {
    auto* text = ask->findChild<QLineEdit*>();
    ASSERT_NE(text, nullptr);
    TypeText(text, QStringLiteral(" 5 il  inf"));
    OnNextModal([&](QWidget* window) {
      auto* unit = qobject_cast<UnitWindow*>(window);
      ASSERT_NE(unit, nullptr);
      EXPECT_FALSE(unit->CompanyButton()->isVisible());
      unit->RegimentButton()->click();
    });
    static_cast<QDialog*>(ask)->accept();
  });
  units->FindAction()->trigger();
  ASSERT_SOON(view->Screen().ShownRoster() != nullptr);
  EXPECT_EQ(view->Screen().CountLine(), "15 records found.");
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Roster \u00B7 5 IL INF"));
  EXPECT_EQ(Row(0).substr(0, 10), "KELLY\tJOHN");  // company A first
  view->Screen().ShowEndPage(true);
  EXPECT_EQ(Row(view->ShownRowCount() - 1).substr(0, 9), "COLE\tAMOS");  // no company: last

  // The Find menu's modes wait for the next search; the strip goes on naming the roster.
  frame->Menu(FrameMenu::kFind)->actions().at(2)->trigger();  // Sounds Like (Soundex)
  EXPECT_EQ(view->Screen().ShownRoster() != nullptr, true);
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Roster \u00B7 5 IL INF"));
  // Clear ends the roster, and the strip says how the next search will be made.
  view->Screen().OnClear();
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Sounds like (Soundex)"));
  // A search afterwards is a search again.
  Search(QStringLiteral("Baker"));
  EXPECT_EQ(view->Screen().ShownRoster(), nullptr);
  EXPECT_EQ(view->Screen().CountLine(), "1 records found.");
}

}  // namespace
