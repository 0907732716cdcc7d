// Searches under every way of matching a surname and through filters, typed into the window:
// which rows come, in which order, each with its own surname, and what the status strip says.

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "find_fixture.h"
#include "ui/bitmap_button.h"
#include "ui/more_info_dialog.h"

namespace {

const QString kMuller = QStringLiteral("M\u00FCLLER");

TEST_F(FindTest, EachModeFindsItsSpellingsTheTypedOneFirstEachRowWithItsOwnSurname) {
  struct Case {
    MatchMode mode;
    QString typed;
    QStringList rows;
    QString status;
  };
  const Case cases[] = {
      {MatchMode::kSoundex, QStringLiteral("muller"),
       {"MULLER JOHN", "MILLER ELI", "MUELLER FRITZ", kMuller + " JOHANN"},
       QStringLiteral("Sounds like (Soundex)")},
      {MatchMode::kDaitchMokotoff, QStringLiteral("Muller"),
       {"MULLER JOHN", "MILLER ELI", "MUELLER FRITZ", kMuller + " JOHANN"},
       QStringLiteral("Sounds like (Daitch-Mokotoff)")},
      // Soundex codes SCHMIDT as SMITH: the C after S and the H are not coded.
      {MatchMode::kSoundex, QStringLiteral("Smith"),
       {"SMITH ADAM", "SMITH JAMES", "SMITH JOHN", "SMITH WILLIAM", "SCHMIDT KARL", "SMITHE HENRY",
        "SMYTH PATRICK"},
       QStringLiteral("Sounds like (Soundex)")},
      {MatchMode::kSimilar, QStringLiteral("SMYTH"),
       {"SMYTH PATRICK", "SMITH ADAM", "SMITH JAMES", "SMITH JOHN", "SMITH WILLIAM"},
       QStringLiteral("Similar spelling \u00B7 letters apart, 0: SMYTH \u00B7 1: SMITH")},
      // The menu's wildcards, and a typed wildcard that switches them on by itself.
      {MatchMode::kWildcard, QStringLiteral("SM*H"),
       {"SMITH ADAM", "SMITH JAMES", "SMITH JOHN", "SMITH WILLIAM", "SMYTH PATRICK"},
       QStringLiteral("Wildcards")},
      {MatchMode::kExact, QStringLiteral("SM?TH"),
       {"SMITH ADAM", "SMITH JAMES", "SMITH JOHN", "SMITH WILLIAM", "SMYTH PATRICK"},
       QStringLiteral("Wildcards")},
  };
  for (const Case& c : cases) {
    Choose(c.mode);
    Search(c.typed);
    EXPECT_EQ(Rows(), c.rows) << c.typed.toStdString();
    EXPECT_EQ(view->CountLine(), QStringLiteral("%1 records found.").arg(c.rows.size())) << c.typed.toStdString();
    EXPECT_EQ(frame->StatusText(), c.status) << c.typed.toStdString();
    EXPECT_TRUE(view->Results()->IsFound()) << c.typed.toStdString();
  }
  // The menu still says exact: the typed wildcard chose wildcards for that search alone.
  EXPECT_TRUE(Find()->ModeAction(MatchMode::kExact)->isChecked());
  Search(QStringLiteral("Smith"));
  EXPECT_EQ(view->CountLine(), QStringLiteral("4 records found."));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling"));

  // A row's text is the one the plain search writes, under the row's own surname.
  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("Mueller"));
  EXPECT_STREQ(view->RowText(0), "MUELLER\tFRITZ\tG, 1 TX CAV, PVT, PVT, ...");
  EXPECT_STREQ(view->RowText(3), "M\xFCLLER\tJOHANN\tF, 20 ME INF, PVT, PVT, ...");
}

TEST_F(FindTest, FiltersNarrowAnyModeAndTheGivenName) {
  auto filter = [](char side, const char* state, const char* unit, const char* company) {
    EntryFilter f;
    f.side = side;
    f.state = state;
    f.unit = unit;
    f.company = company;
    return f;
  };
  struct Case {
    MatchMode mode;
    EntryFilter filter;
    QString typed, given;
    QStringList rows;
    QString status;
  };
  const Case cases[] = {
      {MatchMode::kExact, filter('C', "", "", ""), "SMITH", "",
       {"SMITH JAMES", "SMITH WILLIAM"}, QStringLiteral("Exact spelling \u00B7 Confederate")},
      {MatchMode::kExact, filter(0, "ME", "", ""), "Smith", "", {"SMITH JOHN"},
       QStringLiteral("Exact spelling \u00B7 state ME")},
      {MatchMode::kSoundex, filter(0, "VA", "", ""), "Smith", "", {"SMITH JAMES", "SMITH WILLIAM"},
       QStringLiteral("Sounds like (Soundex) \u00B7 state VA")},
      {MatchMode::kExact, filter(0, "", "CAV", ""), "*", "",
       {"MUELLER FRITZ", "SMITH JAMES", "SMITHE HENRY"}, QStringLiteral("Wildcards \u00B7 unit \"CAV\"")},
      {MatchMode::kSimilar, filter(0, "", "", "A"), "Smith", "", {"SMITH JOHN", "SMITH WILLIAM"},
       QStringLiteral("Similar spelling \u00B7 company A \u00B7 letters apart, 0: SMITH")},
      {MatchMode::kSoundex, filter('U', "ME", "INF", ""), "Miller", "JOH", {kMuller + " JOHANN"},
       QStringLiteral("Sounds like (Soundex) \u00B7 Union, state ME, unit \"INF\"")},
      // Nothing passes: an empty page, and the count says so.
      {MatchMode::kExact, filter('C', "ME", "", ""), "Smith", "", {},
       QStringLiteral("Exact spelling \u00B7 Confederate, state ME")},
  };
  for (const Case& c : cases) {
    Choose(c.mode);
    Find()->SetFilter(c.filter);
    Search(c.typed, c.given);
    EXPECT_EQ(Rows(), c.rows) << c.status.toStdString();
    EXPECT_EQ(view->CountLine(), QStringLiteral("%1 records found.").arg(c.rows.size())) << c.status.toStdString();
    EXPECT_EQ(frame->StatusText(), c.status);
  }
  // A Confederate filter on SMITH shows only rows whose side field is C, as More Info tells.
  Choose(MatchMode::kExact);
  Find()->SetFilter(filter('C', "", "", ""));
  Search(QStringLiteral("smith"));
  ASSERT_EQ(view->ShownRowCount(), 2);
  for (int row = 0; row < 2; ++row) {
    view->SelectRow(row);
    QString body;
    OnNextModal([&](QWidget* modal) {
      body = static_cast<MoreInfoDialog*>(modal)->Body()->toPlainText();
      QTest::keyClick(modal, Qt::Key_Return);
    });
    QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
    EXPECT_TRUE(body.endsWith(QStringLiteral("Fought for: (U = Union, C = Confederate)\nC"))) << body.toStdString();
  }
}

TEST_F(FindTest, ThePlainSearchIsUnchangedWhenTheModeIsExactAndNoFilterIsOn) {
  Search(QStringLiteral("Abbott"), QStringLiteral("JOHN"));
  const QImage plain = Grab();
  const std::string rows[] = {view->RowText(0), view->RowText(4)};
  EXPECT_TRUE(view->Results()->IsFiltered());
  const QFileInfo buffer(QString::fromStdString(roll.familyDir + "history.buf"));
  ASSERT_TRUE(buffer.isFile());
  EXPECT_EQ(buffer.size(), 5 * 300) << "the given-name matches go to history.buf";

  // Another mode, a filter, then back: the same search is the plain one again, pixel for pixel.
  Choose(MatchMode::kSimilar);
  EntryFilter side;
  side.side = 'U';
  Find()->SetFilter(side);
  Search(QStringLiteral("Abbott"), QStringLiteral("JOHN"));
  EXPECT_TRUE(view->Results()->IsFound());
  Find()->SetFilter(EntryFilter());
  Choose(MatchMode::kExact);
  Search(QStringLiteral("Abbott"), QStringLiteral("JOHN"));
  EXPECT_TRUE(view->Results()->IsFiltered());
  EXPECT_EQ(view->RowText(0), rows[0]);
  EXPECT_EQ(view->RowText(4), rows[1]);
  EXPECT_EQ(Grab(), plain);

  Search(QStringLiteral("Abbott"));
  EXPECT_FALSE(view->Results()->IsFound());
  EXPECT_FALSE(view->Results()->IsFiltered());
  EXPECT_EQ(view->CountLine(), QStringLiteral("23 records found."));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Exact spelling"));
}

TEST_F(FindTest, PagingKeysTooltipsAndMoreInfoWorkAcrossTheKeysOfAFoundResult) {
  // ABBOTT's 23 rows, then ABBOT's one: pages of 10, 10 and 4.
  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("Abbott"));
  EXPECT_EQ(view->CountLine(), QStringLiteral("24 records found."));
  EXPECT_EQ(view->PageCount(), 3);
  EXPECT_EQ(view->NextButton()->toolTip(), QStringLiteral("Next page (2 of 3)"));

  QTest::keyClick(view->NameField(0), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(view->PageIndex(), 2);
  EXPECT_EQ(Rows(), (QStringList{"ABBOTT MOSES", "ABBOTT PETER", "ABBOTT WILLIAM", "ABBOT ZEKE"}));
  EXPECT_EQ(view->PrevButton()->toolTip(), QStringLiteral("Previous page (2 of 3)"));
  EXPECT_FALSE(view->NextButton()->isEnabled());

  // Up from no selection takes the last row; More Info names that row's own surname.
  QTest::keyClick(view->NameField(0), Qt::Key_Up);
  ASSERT_EQ(view->SelectedRow(), 3);
  QString caption;
  OnNextModal([&](QWidget* modal) {
    caption = modal->windowTitle();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_EQ(caption, QStringLiteral("ABBOT, ZEKE"));
  EXPECT_EQ(view->SelectedRow(), 3);

  // Up across the page boundary, the page buttons back to the first page.
  for (int i = 0; i < 4; ++i) QTest::keyClick(view->NameField(0), Qt::Key_Up);
  EXPECT_EQ(view->PageIndex(), 1);
  EXPECT_EQ(view->FieldText(view->SelectedRow(), 1), QStringLiteral("LEWIS"));
  QTest::mouseClick(view->PrevButton(), Qt::LeftButton);
  EXPECT_EQ(view->PageIndex(), 0);
  EXPECT_EQ(view->SelectedRow(), -1);
  EXPECT_EQ(Focus(), view->NextButton());
  EXPECT_EQ(view->FieldText(0, 1), QStringLiteral("AARON"));

  // Clear empties the found result as it empties any other.
  QTest::mouseClick(view->ClearButton(), Qt::LeftButton);
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
  EXPECT_FALSE(view->Results()->IsFound());
}

TEST_F(FindTest, AMissingDiskCancelledGivesAnEmptyResultAsThePlainSearchDoes) {
  // (The mode is chosen before the first search: chosen after it, it would find ABBOTT again.)
  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("Abbott"));
  std::remove((roll.dataDir + "mrdb.id").c_str());
  boxes.Answer({kIdCancel});
  Search(QStringLiteral("Smith"));
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kDiskPrompt});
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
  EXPECT_EQ(view->ShownRowCount(), 0);
  EXPECT_FALSE(view->NextButton()->isEnabled());
}

TEST_F(FindTest, SimilarSpellingShowsTheClosestSurnamesFirstAndHowFarEachIs) {
  Choose(MatchMode::kSimilar);
  Search(QStringLiteral("Muller"));
  EXPECT_EQ(Surnames(), (QStringList{"MULLER", kMuller, "MILLER", "MUELLER"}));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Similar spelling \u00B7 letters apart, 0: MULLER, M\u00FCLLER \u00B7 "
                                                "1: MILLER, MUELLER"));
  // A screen reader hears the row with its distance (the name box describes the selected row).
  QTest::keyClick(view->NameField(0), Qt::Key_Down);
  QTest::keyClick(view->NameField(0), Qt::Key_Down);
  QTest::keyClick(view->NameField(0), Qt::Key_Down);
  EXPECT_EQ(view->NameField(0)->accessibleDescription(), QStringLiteral("Entry 3 of 4: MILLER, ELI, ") +
                                                              view->FieldText(2, 2) +
                                                              QStringLiteral("; 1 letter apart"));
  // Another mode names no distances.
  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("Muller"));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Sounds like (Soundex)"));
}

}  // namespace
