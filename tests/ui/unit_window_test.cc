// The Unit window as a person reaches it: from a soldier's More Info to his company's roster on
// the main screen, and from the Find menu's Unit... to the whole regiment; the roster then pages,
// selects and opens More Info as any result does, and the strip names it.
#include "ui/unit_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/main_frame.h"
#include "csv_reader.h"
#include "external_program.h"
#include "gedcom_lines.h"
#include "records/gedcom_writer.h"
#include "ui/more_info_dialog.h"
#include "ui/unit_actions.h"
#include "viewer_fixture.h"

namespace {

std::vector<std::string> Fields(const std::string& company, const std::string& unit,
                                const std::string& side) {
  return {"J", company, unit, "PVT", "PVT", "", "1", "2", "3", side};
}

// Answers the next file dialog with `path`, ticking the options named in `tick`; gives the options
// it offered and the file name it suggested, when asked.
void AnswerSave(const QString& path, const QStringList& tick, QStringList* offered, QString* suggested) {
  OnNextModal([=](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    if (suggested) *suggested = QFileInfo(dialog->selectedFiles().value(0)).fileName();
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
      if (offered) *offered << box->text();
      if (tick.contains(box->text())) box->setChecked(true);
    }
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();
  });
}

std::string FileBytes(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return file.readAll().toStdString();
}

class SavingTest : public ViewerTest {
 protected:
  QAction* ItemOfFileMenu(const QString& text) {
    for (QAction* action : frame->Menu(FrameMenu::kFile)->actions()) {
      if (action->text() == text) return action;
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
  }
  // Saves through `item` into `name` in a folder of the test's (options as AnswerSave); gives the
  // file's bytes.
  std::string SaveThrough(QAction* item, const QString& name, const QStringList& tick = {},
                          QStringList* offered = nullptr, QString* suggested = nullptr) {
    const QString path = files.filePath(name);
    AnswerSave(path, tick, offered, suggested);
    if (item) item->trigger();
    return FileBytes(path);
  }

  QTemporaryDir files;
};

class UnitWindowTest : public SavingTest {
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

  std::vector<GedcomLine> SaveAll(const QString& name, const QStringList& tick, QStringList* offered,
                                  QString* suggested) {
    return ParseGedcom(SaveThrough(ItemOfFileMenu(QStringLiteral("Save &All Results as GEDCOM...")), name,
                                   tick, offered, suggested));
  }
};

std::size_t Count(const std::vector<GedcomLine>& lines, const std::string& tag) {
  std::size_t count = 0;
  for (const GedcomLine& line : lines) count += line.level == 1 && line.tag == tag;
  return count;
}

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

TEST_F(UnitWindowTest, ARosterSavedAsGedcomMayLinkEachCompanysMenAsComrades) {
  const QString battles = QString::fromLatin1(kBattleEventsOptionText);
  const QString comrades = QString::fromLatin1(kCompanyComradesOptionText);
  QStringList offered;
  QString suggested;
  // A search's men are no roster: only the battles are offered.
  Search(QStringLiteral("Kelly"));
  std::vector<GedcomLine> lines = SaveAll(QStringLiteral("kelly.ged"), {}, &offered, &suggested);
  EXPECT_EQ(offered, QStringList{battles});
  EXPECT_EQ(suggested, QStringLiteral("Kelly.ged"));
  EXPECT_EQ(Count(lines, "ASSO"), 0u);

  // The whole regiment: company A of one man, company D of thirteen, one man without a company.
  RosterRequest regiment;
  regiment.unit = "5 IL INF";
  regiment.side = 'U';
  ASSERT_TRUE(view->Screen().ShowRoster(regiment));
  ASSERT_EQ(view->Screen().CountLine(), "15 records found.");
  offered.clear();
  const std::vector<GedcomLine> plain = SaveAll(QStringLiteral("plain.ged"), {}, &offered, &suggested);
  EXPECT_EQ(offered, (QStringList{battles, comrades}));
  EXPECT_EQ(suggested, QStringLiteral("5_IL_INF.ged"));
  EXPECT_EQ(Count(plain, "ASSO"), 0u);  // off unless asked for
  EXPECT_EQ(Count(plain, "EVEN"), 0u);

  offered.clear();
  lines = SaveAll(QStringLiteral("linked.ged"), {comrades}, &offered, &suggested);
  ExpectWellFormedGedcom(lines);   // every ASSO points at an INDI of the file
  std::vector<std::size_t> links;  // per man, in the list's order
  for (const GedcomLine& line : lines) {
    if (line.level == 0 && line.tag == "INDI") links.push_back(0);
    if (line.level == 1 && line.tag == "ASSO") ++links.back();
  }
  std::vector<std::size_t> expected(15, 12);
  expected.front() = 0;  // JOHN, alone in company A
  expected.back() = 0;   // AMOS, of no company
  EXPECT_EQ(links, expected);
  EXPECT_EQ(lines.size(), plain.size() + 2 * 13 * 12);

  // Company D alone, with its battles: the park service lists none for the 5th Illinois, which
  // each man's service note says.
  RosterRequest company = regiment;
  company.wholeUnit = false;
  company.company = "D";
  ASSERT_TRUE(view->Screen().ShowRoster(company));
  lines = SaveAll(QStringLiteral("company.ged"), {battles, comrades}, &offered, &suggested);
  EXPECT_EQ(suggested, QStringLiteral("5_IL_INF_Company_D.ged"));
  ExpectWellFormedGedcom(lines);
  EXPECT_EQ(Count(lines, "ASSO"), 13u * 12u);
  std::size_t saysNone = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].tag == "NOTE" && GedcomTextAt(lines, i).find("No battle listed") != std::string::npos)
      ++saysNone;
  }
  EXPECT_EQ(saysNone, 13u);
}

// A new user's walk, as the guide tells it: KELLY found, one soldier's More Info, his regiment's
// battles, his company's roster, a comrade's More Info, the roster exported as CSV and the soldier
// saved as GEDCOM with his regiment's battles, which Gramps imports.
class TryoutTest : public SavingTest {
 protected:
  void SetUp() override {
    const auto fields = [](const char* company, const char* unit, const char* side) {
      return std::vector<std::string>{"", company, unit, "PVT", "CORP", "", "12", "34", "5678", side};
    };
    roll.Add("Kelly", "PATRICK", fields("D", "1 MN INF", "U"));
    roll.Add("Kelly", "JOHN", fields("A", "1 MN INF", "U"));
    roll.Add("Kelly", "MICHAEL", fields("D", "1 MN INF", "C"));  // no comrade of Patrick's
    roll.Add("Kelly", "THOMAS", fields("D", "69 NY INF", "U"));
    const char* comrades[] = {"Nelson",  "Olson", "Berg", "Adams", "Lund",  "Dahl",
                              "Carlson", "Holm",  "Moe",  "Ek",    "Strand"};
    for (const char* surname : comrades) roll.Add(surname, "OLE", fields("D", "1 MN INF", "U"));
    OpenWindow();
  }
};

TEST_F(TryoutTest, FromKellyToHisCompanyAndAComradeThenCsvAndAGedcomWithBattlesThatGrampsImports) {
  Search(QStringLiteral("kelly"));
  ASSERT_EQ(view->Screen().CountLine(), "4 records found.");
  int patrick = -1;
  for (int row = 0; row < view->ShownRowCount(); ++row) {
    if (std::string(view->Screen().RowText(row)).find("PATRICK") != std::string::npos) patrick = row;
  }
  ASSERT_GE(patrick, 0);
  ClickRow(patrick);

  QString caption, report, company;
  OnNextModal([&](QWidget* dialog) {
    auto* info = qobject_cast<MoreInfoDialog*>(dialog);
    ASSERT_NE(info, nullptr);
    caption = info->windowTitle();
    OnNextModal([&](QWidget* window) {
      auto* unit = qobject_cast<UnitWindow*>(window);
      ASSERT_NE(unit, nullptr);
      report = unit->Report()->toPlainText();
      company = unit->CompanyButton()->text();
      unit->CompanyButton()->click();
    });
    info->UnitButton()->click();
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_EQ(caption, QStringLiteral("KELLY, PATRICK"));
  // The regiment's 23 battles, the first and the last, in date order.
  const qsizetype first = report.indexOf(QStringLiteral("Manassas I"));
  const qsizetype last = report.indexOf(QStringLiteral("Appomattox Court House"));
  EXPECT_TRUE(first >= 0 && last > first) << report.toStdString();
  EXPECT_EQ(company, QStringLiteral("Show Company D"));

  // Company D of the Union's 1st Minnesota: Patrick and his eleven comrades.
  ASSERT_SOON(view->Screen().ShownRoster() != nullptr);
  EXPECT_EQ(view->Screen().CountLine(), "12 records found.");
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Roster \u00B7 1 MN INF \u00B7 Company D"));
  ClickRow(0);
  OnNextModal([&](QWidget* dialog) {
    caption = dialog->windowTitle();
    static_cast<QDialog*>(dialog)->reject();
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_EQ(caption, QStringLiteral("ADAMS, OLE"));

  // The roster as CSV: every man of it, in its order, named after the company.
  QString suggested;
  const CsvRecords csv = ReadCsv(SaveThrough(ItemOfFileMenu(QStringLiteral("&Export Results...")),
                                             QStringLiteral("company-d.csv"), {}, nullptr, &suggested));
  EXPECT_EQ(suggested, QStringLiteral("1_MN_INF_Company_D.csv"));
  ASSERT_EQ(csv.size(), 13u);
  EXPECT_EQ(csv[1][0], "ADAMS");
  EXPECT_EQ(csv[7][0] + " " + csv[7][1], "KELLY PATRICK");

  // Patrick from the roster, saved from his More Info with his regiment's battles.
  ClickRow(6);
  ASSERT_EQ(std::string(view->Screen().RowText(6)).substr(0, 13), "KELLY\tPATRICK");
  const QString path = files.filePath(QStringLiteral("patrick.ged"));
  QStringList offered;
  OnNextModal([&](QWidget* dialog) {
    AnswerSave(path, {QString::fromLatin1(kBattleEventsOptionText)}, &offered, &suggested);
    static_cast<MoreInfoDialog*>(dialog)->GedcomButton()->click();
    static_cast<QDialog*>(dialog)->accept();
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_EQ(offered, QStringList{QString::fromLatin1(kBattleEventsOptionText)});
  EXPECT_EQ(suggested, QStringLiteral("PATRICK_KELLY.ged"));
  const std::vector<GedcomLine> lines = ParseGedcom(FileBytes(path));
  ExpectWellFormedGedcom(lines);
  EXPECT_EQ(Count(lines, "EVEN"), 23u);
  EXPECT_EQ(Count(lines, "ASSO"), 0u);

  const std::string gramps = FindProgram("gramps");
  if (gramps.empty())
    GTEST_SKIP() << "gramps is not installed (Debian package gramps): the import was not tried";
  int status = 0;
  const std::string import = RunProgram(
      gramps, {"-y", "-q", "-C", "Tryout", "-i", path.toStdString()},
      {"GRAMPSHOME=" + files.filePath(QStringLiteral("home")).toStdString(), "LANGUAGE=en", "LC_ALL=C.UTF-8"},
      &status);
  EXPECT_EQ(status, 0) << import;
  EXPECT_NE(import.find("GEDCOM import report: No errors detected"), std::string::npos) << import;
}

}  // namespace
