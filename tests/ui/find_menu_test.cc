// The Find menu and its Filters dialog, worked with the keyboard and the mouse.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "find_fixture.h"
#include "ui/filters_dialog.h"

namespace {

QStringList ItemTexts(const QMenu* menu) {
  QStringList texts;
  for (const QAction* action : menu->actions()) {
    texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  return texts;
}

// The checked items that say how a search is made (the companion index, a setting, left out).
QStringList Checked(const QMenu* menu) {
  QStringList checked;
  for (const QAction* action : menu->actions()) {
    if (action->isChecked() && action->text() != QStringLiteral("Use a Companion &Index"))
      checked << action->text();
  }
  return checked;
}

class FindMenuTest : public FindTest {
 protected:
  QMenu* Menu() const { return frame->Menu(FrameMenu::kFind); }
  // Opens the Filters dialog from the menu and runs `fill` on it once it is up.
  void EditFilters(std::function<void(FiltersDialog*)> fill) {
    OnNextModal([fill](QWidget* modal) {
      auto* dialog = qobject_cast<FiltersDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      fill(dialog);
    });
    Find()->FiltersAction()->trigger();
  }
};

TEST_F(FindMenuTest, TheModesAreRadioItemsExactCheckedAtStartAndTheKeyboardReachesThem) {
  EXPECT_EQ(ItemTexts(Menu()),
            (QStringList{"&Exact Spelling", "&Wildcards (* and ?)", "Sounds Like (&Soundex)",
                         "Sounds Like (&Daitch-Mokotoff)", "Similar Spe&lling", "-", "&Filters...",
                         "&Clear Filters", "-", "Match &Given-Name Abbreviations and Nicknames", "-",
                         "&Unit...", "-", "Use a Companion &Index"}));
  EXPECT_EQ(Checked(Menu()), QStringList{"&Exact Spelling"});
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling"));
  EXPECT_FALSE(Find()->ClearFiltersAction()->isEnabled());

  // Alt+I opens the menu from the surname field (Alt+S still searches); S picks Soundex.
  QTest::keyClick(view->NameField(0), Qt::Key_I, Qt::AltModifier);
  ASSERT_SOON(Menu()->isVisible());
  QTest::keyClick(Menu(), Qt::Key_S);
  EXPECT_SOON(!Menu()->isVisible());
  EXPECT_EQ(Checked(Menu()), QStringList{"Sounds Like (&Soundex)"});
  EXPECT_EQ(view->FindSettings().mode, MatchMode::kSoundex);
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Sounds like (Soundex)"));

  // Choosing another unchecks it; choosing the checked one again keeps it checked.
  Choose(MatchMode::kSimilar);
  Choose(MatchMode::kSimilar);
  EXPECT_EQ(Checked(Menu()), QStringList{"Similar Spe&lling"});
  EXPECT_EQ(view->FindSettings().mode, MatchMode::kSimilar);

  // Alt+S is still the Search button's.
  QTest::keyClicks(view->NameField(0), QStringLiteral("smyth"));
  QTest::keyClick(view->NameField(0), Qt::Key_S, Qt::AltModifier);
  EXPECT_SOON(view->CountLine() == QStringLiteral("5 records found."));
}

TEST_F(FindMenuTest, TheFiltersDialogSetsTheFilterWhichStaysShownUntilCleared) {
  EditFilters([](FiltersDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Filters"));
    EXPECT_TRUE(dialog->SideButton(0)->isChecked());
    QTest::mouseClick(dialog->SideButton('C'), Qt::LeftButton);
    // Letters only in the state field, blanks around the texts left off, case made upper.
    QTest::keyClicks(dialog->StateField(), QStringLiteral("v1a"));
    QTest::keyClicks(dialog->UnitField(), QStringLiteral(" cav "));
    QTest::keyClick(dialog->StateField(), Qt::Key_Return);
  });
  EXPECT_EQ(view->FindSettings().filter.side, 'C');
  EXPECT_EQ(view->FindSettings().filter.state, "VA");
  EXPECT_EQ(view->FindSettings().filter.unit, "CAV");
  EXPECT_EQ(view->FindSettings().filter.company, "");
  const QString active = QStringLiteral("Exact spelling \u00B7 Confederate, state VA, unit \"CAV\"");
  EXPECT_EQ(frame->StatusText(), active);
  EXPECT_TRUE(Find()->FiltersAction()->isChecked());
  EXPECT_TRUE(Find()->ClearFiltersAction()->isEnabled());
  Search(QStringLiteral("Smith"));
  EXPECT_EQ(Rows(), QStringList{"SMITH JAMES"});
  EXPECT_EQ(frame->StatusText(), active);

  // The dialog opens on the filter in force; Cancel (Escape) changes nothing, even after Clear.
  EditFilters([](FiltersDialog* dialog) {
    EXPECT_TRUE(dialog->SideButton('C')->isChecked());
    EXPECT_EQ(dialog->StateField()->text(), QStringLiteral("VA"));
    EXPECT_EQ(dialog->UnitField()->text(), QStringLiteral("CAV"));
    QTest::mouseClick(dialog->ClearButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog->SideButton(0)->isChecked());
    EXPECT_EQ(dialog->UnitField()->text(), QString());
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(frame->StatusText(), active);
  EXPECT_TRUE(Find()->FiltersAction()->isChecked());

  // Clear and OK in the dialog ends the filter: the plain search again.
  EditFilters([](FiltersDialog* dialog) {
    QTest::mouseClick(dialog->ClearButton(), Qt::LeftButton);
    QTest::keyClick(dialog->StateField(), Qt::Key_Return);
  });
  EXPECT_FALSE(view->FindSettings().filter.Active());
  EXPECT_FALSE(Find()->FiltersAction()->isChecked());
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling"));
  Search(QStringLiteral("Smith"));
  EXPECT_FALSE(view->Results()->IsFound());

  // Clear Filters in the menu does the same at once.
  EditFilters([](FiltersDialog* dialog) {
    QTest::keyClicks(dialog->CompanyField(), QStringLiteral("a"));
    QTest::keyClick(dialog->CompanyField(), Qt::Key_Return);
  });
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling \u00B7 company A"));
  Find()->ClearFiltersAction()->trigger();
  EXPECT_FALSE(view->FindSettings().filter.Active());
  EXPECT_FALSE(Find()->ClearFiltersAction()->isEnabled());
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling"));
}

TEST_F(FindMenuTest, TheStatusSaysHowTheResultOnScreenWasFoundOrHowTheNextWillBe) {
  Choose(MatchMode::kDaitchMokotoff);
  Search(QStringLiteral("Schmidt"));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Sounds like (Daitch-Mokotoff)"));
  // A typed wildcard under exact spelling is what the search used, whatever the menu says.
  Choose(MatchMode::kExact);
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling"));
  Search(QStringLiteral("Sch*"));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Wildcards"));
  EXPECT_EQ(Rows(), QStringList{"SCHMIDT KARL"});
  EXPECT_TRUE(Find()->ModeAction(MatchMode::kExact)->isChecked());
  // A new choice finds the result on screen again (the typed wildcard still decides); with no
  // result on screen it is shown at once, for the next search.
  Choose(MatchMode::kSimilar);
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Wildcards"));
  view->OnClear();
  Choose(MatchMode::kSimilar);
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Similar spelling"));
  // An empty surname runs no search and leaves the text.
  Search(QString());
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Similar spelling"));
}

TEST_F(FindMenuTest, ChangingTheModeOrTheFiltersFindsTheResultOnScreenAgain) {
  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("Smith"));
  const QStringList soundex = Rows();
  ASSERT_TRUE(soundex.contains(QStringLiteral("SMYTH PATRICK")));
  // The name fields are not read again: what was typed since is for the next search.
  view->NameField(0)->setText(QStringLiteral("Muller"));

  EditFilters([](FiltersDialog* dialog) {
    QTest::keyClicks(dialog->CompanyField(), QStringLiteral("a"));
    QTest::keyClick(dialog->CompanyField(), Qt::Key_Return);
  });
  EXPECT_EQ(Rows(), (QStringList{"SMITH JOHN", "SMITH WILLIAM", "SCHMIDT KARL"}));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Sounds like (Soundex) · company A"));

  Find()->ClearFiltersAction()->trigger();
  EXPECT_EQ(Rows(), soundex);
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Sounds like (Soundex)"));

  Choose(MatchMode::kExact);
  EXPECT_EQ(Rows(), (QStringList{"SMITH ADAM", "SMITH JAMES", "SMITH JOHN", "SMITH WILLIAM"}));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling"));
  EXPECT_FALSE(view->Results()->IsFound());

  // With nothing on screen nothing runs; the status names the next search.
  view->OnClear();
  Choose(MatchMode::kSoundex);
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Sounds like (Soundex)"));
}

// An index found damaged (here a key promising slots past the name file) is searched as far as
// it is sound, and the status line says so beside how the result was found.
TEST_F(FindMenuTest, TheStatusSaysWhenTheIndexWasFoundDamaged) {
  const std::string tre = roll.dataDir + "mroll.tre";
  std::string bytes = ReadFileBytes(tre);
  const std::size_t at = bytes.find("SMITH" + std::string(17, ' '));
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at - 4, 4, Le32(1000000));
  WriteFileBytes(tre, bytes);
  Search(QStringLiteral("SM*"));
  EXPECT_EQ(frame->StatusText(),
            QStringLiteral("Wildcards \u00B7 the index is damaged; only the keys that could be read are searched"));
  EXPECT_LE(view->Results()->ResultCount(), view->Database()->SlotCount());
  // The plain search reads one key and says nothing more.
  Search(QStringLiteral("Smith"));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling"));
}

// A roll whose clerks wrote WILLIAM in three ways, beside a WILLIS.
class GivenVariantsTest : public FindMenuTest {
 protected:
  void SetUp() override {
    for (const char* given : {"WILLIAM", "WM.", "WILLIS", "BILL", "WM H"}) roll.Add("Tolliver", given);
    roll.Add("Toliver", "WM");
    FindMenuTest::SetUp();
  }
};

TEST_F(GivenVariantsTest, TheFindItemLetsAGivenNameFindItsAbbreviationsAndNicknames) {
  QAction* item = Find()->GivenVariantsAction();
  EXPECT_FALSE(item->isChecked()) << "off at start: the given name is a prefix, as it always was";
  Search(QStringLiteral("Tolliver"), QStringLiteral("william"));
  EXPECT_EQ(Rows(), QStringList{"TOLLIVER WILLIAM"});

  // By the keyboard: Alt+I, then G.
  QTest::keyClick(view->NameField(0), Qt::Key_I, Qt::AltModifier);
  ASSERT_SOON(Menu()->isVisible());
  QTest::keyClick(Menu(), Qt::Key_G);
  EXPECT_SOON(!Menu()->isVisible());
  EXPECT_TRUE(item->isChecked());
  EXPECT_TRUE(view->FindSettings().givenVariants);
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling \u00B7 given-name abbreviations and nicknames"));

  // The plain search, through history.buf as ever, in name order.
  Search(QStringLiteral("Tolliver"), QStringLiteral("william"));
  EXPECT_TRUE(view->Results()->IsFiltered());
  EXPECT_EQ(Rows(), (QStringList{"TOLLIVER BILL", "TOLLIVER WILLIAM", "TOLLIVER WM H", "TOLLIVER WM."}));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling \u00B7 given-name abbreviations and nicknames"));
  // Another mode widens the surname as well.
  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("Tolliver"), QStringLiteral("wm"));
  EXPECT_EQ(Rows(), (QStringList{"TOLLIVER BILL", "TOLLIVER WILLIAM", "TOLLIVER WM H", "TOLLIVER WM.", "TOLIVER WM"}));
  // Without a given name nothing is widened, and the status does not pretend it was.
  Search(QStringLiteral("Toliver"));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Sounds like (Soundex)"));

  item->trigger();
  EXPECT_FALSE(view->FindSettings().givenVariants);
  Choose(MatchMode::kExact);
  Search(QStringLiteral("Tolliver"), QStringLiteral("wm"));
  EXPECT_EQ(Rows(), (QStringList{"TOLLIVER WM H", "TOLLIVER WM."}));
}

}  // namespace
