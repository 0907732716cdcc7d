// The research log in the viewer: searches recorded as they are shown, rows saved from the menu,
// the key, the context menu and More Info, the Research window's lists, edits, re-runs, More Info
// and exports, and logs that cannot be used, against real SQLite files in a data directory of
// the test's own.
#include <sqlite3.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "app/research_actions.h"
#include "find_fixture.h"
#include "research/log_place.h"
#include "research/research_log.h"
#include "support/environment.h"
#include "support/fifo.h"
#include "support/scoped_env.h"
#include "support/scoped_temp_dir.h"
#include "ui/more_info_dialog.h"
#include "ui/research_desk.h"
#include "ui/research_window.h"
#include "ui/unit_window.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each test's own data and settings directories, set before the window is made.
struct OwnPlaces {
  OwnPlaces() {
    env.Set(kUserDataVariable, data.Path().c_str());
    env.Set(kUserSettingsVariable, config.Path().c_str());
  }
  ScopedTempDir data;
  ScopedTempDir config;
  ScopedEnv env;
};

class ResearchTest : public FindTest {
 protected:
  void SetUp() override {
    FindTest::SetUp();
    research = frame->findChild<ResearchActions*>();
    ASSERT_NE(research, nullptr);
  }
  // The window goes before this test's own places: Windows cannot remove a folder holding a file
  // the viewer still has open (the research log, the companion index).
  void TearDown() override { CloseWindow(); }

  // Everything posted is in the log.
  void Settle() { ASSERT_TRUE(research->Desk().WaitIdle(5000)); }

  std::vector<LoggedSearch> Searches() {
    Settle();
    ResearchLog log;
    std::vector<LoggedSearch> out;
    EXPECT_TRUE(log.Open(DefaultLogPath(), LogAccess::kRead)) << log.Problem().message;
    EXPECT_TRUE(log.Searches({}, &out));
    return out;
  }
  std::vector<SavedSoldier> Soldiers() {
    Settle();
    ResearchLog log;
    std::vector<SavedSoldier> out;
    EXPECT_TRUE(log.Open(DefaultLogPath(), LogAccess::kRead)) << log.Problem().message;
    EXPECT_TRUE(log.Soldiers({}, &out));
    return out;
  }
  // Saves row `row` of the page with the key, as a person does, and waits for it to be written.
  void SaveRowByKey(int row) {
    view->SelectRow(row);
    QTest::keyClick(view->NameField(0), Qt::Key_S, Qt::ControlModifier);
    Settle();
    QApplication::processEvents();
  }

  OwnPlaces places;
  ResearchActions* research = nullptr;
};

TEST_F(ResearchTest, EverySearchShownIsRecordedWithItsModeFiltersAndCountNothingFoundIncluded) {
  Search(QStringLiteral("MULLER"));
  Choose(MatchMode::kSoundex);
  EntryFilter unionOnly;
  unionOnly.side = 'U';
  Find()->SetFilter(unionOnly);
  Search(QStringLiteral("SMITH"), QStringLiteral("J"));
  Find()->SetFilter({});
  Choose(MatchMode::kExact);
  Search(QStringLiteral("NOBODY"));

  // A mode or filter changed while a list is shown finds that list again: a search shown too.
  const std::vector<LoggedSearch> searches = Searches();
  ASSERT_EQ(searches.size(), 7u);
  EXPECT_EQ(searches[0].surname, "MULLER");
  EXPECT_EQ(searches[0].mode, "exact");
  EXPECT_GT(searches[0].count, 0);
  EXPECT_EQ(searches[1].surname, "MULLER");
  EXPECT_EQ(searches[1].mode, "soundex");
  EXPECT_EQ(searches[2].side, "U");
  EXPECT_EQ(searches[3].surname, "SMITH");
  EXPECT_EQ(searches[3].mode, "soundex");
  EXPECT_EQ(searches[3].givenName, "J");
  EXPECT_EQ(searches[3].side, "U");
  EXPECT_EQ(searches[5].mode, "exact");
  EXPECT_EQ(searches[5].side, "");
  EXPECT_EQ(searches[6].surname, "NOBODY");
  EXPECT_EQ(searches[6].count, 0);
  for (const LoggedSearch& search : searches) {
    EXPECT_EQ(search.program, "viewer");
    EXPECT_EQ(search.roll.hash.size(), 32u) << "the roll is identified";
  }
  EXPECT_TRUE(research->LastNote().isEmpty()) << research->LastNote().toStdString();
}

TEST_F(ResearchTest, RecordingSwitchedOffRecordsNothingAndStaysOffAtTheNextStart) {
  research->RecordAction()->trigger();
  EXPECT_FALSE(research->RecordAction()->isChecked());
  Search(QStringLiteral("MULLER"));
  Settle();
  EXPECT_FALSE(QFile::exists(QString::fromStdString(DefaultLogPath())));

  CloseWindow();
  OpenWindow();
  research = frame->findChild<ResearchActions*>();
  EXPECT_FALSE(research->RecordAction()->isChecked());
  EXPECT_FALSE(research->Desk().Recording());
}

TEST_F(ResearchTest, ARowIsSavedByKeyContextMenuAndMoreInfoOnceWithTheSearchThatFoundIt) {
  Search(QStringLiteral("ABBOTT"));
  ASSERT_FALSE(research->SaveAction()->isEnabled()) << "nothing selected, nothing to save";
  SaveRowByKey(0);
  EXPECT_TRUE(research->LastNote().startsWith(QStringLiteral("Saved to the research log: ABBOTT")))
      << research->LastNote().toStdString();
  SaveRowByKey(0);
  EXPECT_TRUE(research->LastNote().startsWith(QStringLiteral("Already in the research log")));

  // The context menu of the third row selects it and offers the save.
  QTimer::singleShot(0, [] {
    QTimer* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        poll->deleteLater();
        menu->actions().first()->trigger();
        menu->close();
      }
    });
    poll->start(10);
  });
  const QPoint at = view->RowRect(2).center();
  QContextMenuEvent click(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
  QApplication::sendEvent(view, &click);
  EXPECT_EQ(view->SelectedRow(), 2);
  Settle();

  view->SelectRow(4);
  OnNextModal([](QWidget* dialog) {
    const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
    for (auto* button : buttons) {
      // The button has a place of its own, inside the window, over no other button.
      EXPECT_TRUE(dialog->rect().contains(button->geometry())) << button->text().toStdString();
      for (auto* other : buttons) {
        EXPECT_TRUE(other == button || !other->geometry().intersects(button->geometry()))
            << button->text().toStdString() << " over " << other->text().toStdString();
      }
    }
    for (auto* button : buttons) {
      if (button->text() == QStringLiteral("Save to Research &Log")) button->click();
    }
    static_cast<QDialog*>(dialog)->accept();
  });
  view->OnMoreInfo();
  Settle();

  const std::vector<SavedSoldier> soldiers = Soldiers();
  ASSERT_EQ(soldiers.size(), 3u);
  const std::vector<LoggedSearch> searches = Searches();
  ASSERT_EQ(searches.size(), 1u) << "saving does not record the search again";
  for (const SavedSoldier& soldier : soldiers) {
    EXPECT_EQ(soldier.searchId, searches[0].id);
    EXPECT_GE(soldier.slot, 0);
    EXPECT_FALSE(soldier.line.empty());
    EXPECT_EQ(soldier.roll.hash, searches[0].roll.hash);
  }
  EXPECT_NE(soldiers[0].slot, soldiers[1].slot);
}

// A roster is no search of the log's: a man saved from it is not said to be found by the search
// shown before it, and no search is made up for him. From the log's More Info his unit's window
// opens, and its roster comes to the main screen, as from the main screen's.
TEST_F(ResearchTest, AManSavedFromARosterIsNotCreditedToTheSearchBeforeItAndHisUnitOpensFromTheLog) {
  Search(QStringLiteral("ABBOTT"));
  RosterRequest roster;
  roster.unit = "20 ME INF";
  roster.side = 'U';
  ASSERT_TRUE(view->Screen().ShowRoster(roster));
  ASSERT_GT(view->ShownRowCount(), 0);
  SaveRowByKey(0);
  const std::vector<SavedSoldier> soldiers = Soldiers();
  ASSERT_EQ(soldiers.size(), 1u);
  EXPECT_EQ(soldiers[0].searchId, 0);
  EXPECT_EQ(soldiers[0].surname.substr(0, 5), "SMITH");
  EXPECT_EQ(Searches().size(), 1u);

  Search(QStringLiteral("ABBOTT"));
  bool offered = false;
  OnNextModal([&](QWidget* dialog) {
    auto* info = qobject_cast<MoreInfoDialog*>(dialog);
    ASSERT_NE(info, nullptr);
    offered = info->UnitButton()->isEnabled();
    OnNextModal([](QWidget* window) {
      auto* unit = qobject_cast<UnitWindow*>(window);
      ASSERT_NE(unit, nullptr);
      ASSERT_EQ(unit->CompanyButton()->text(), QStringLiteral("Show Company A"));
      unit->CompanyButton()->click();
    });
    info->UnitButton()->click();
  });
  research->OnMoreInfo(soldiers[0]);
  EXPECT_TRUE(offered);
  ASSERT_SOON(view->Screen().ShownRoster() != nullptr);
  EXPECT_EQ(view->Screen().ShownRoster()->company, "A");
  EXPECT_EQ(std::string(view->Screen().RowText(0)).substr(0, 5), "SMITH");
}

TEST_F(ResearchTest, TheWindowListsFiltersEditsRerunsAndShowsMoreInfoFromTheRollOrTheSavedCopy) {
  Search(QStringLiteral("MULLER"));
  SaveRowByKey(0);
  Search(QStringLiteral("NOBODY"));
  // Cleared first, so that choosing the mode does not find NOBODY again.
  QTest::mouseClick(view->ClearButton(), Qt::LeftButton);
  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("ABBOT"));
  SaveRowByKey(1);

  ResearchWindow* window = research->ShowWindow();
  ASSERT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal());
  EXPECT_EQ(window->SoldierTable()->rowCount(), 2);
  EXPECT_EQ(window->SearchTable()->rowCount(), 3);
  EXPECT_TRUE(window->SearchTable()->findItems(QStringLiteral("nothing found"), Qt::MatchExactly).size() ==
              1);

  window->SurnameFilter()->setText(QStringLiteral("muller"));
  EXPECT_EQ(window->SoldierTable()->rowCount(), 1);
  EXPECT_EQ(window->SearchTable()->rowCount(), 1);
  window->SurnameFilter()->clear();

  // Status and notes: one change, with its date, kept for the next reading.
  window->SoldierTable()->selectRow(0);
  SavedSoldier chosen;
  ASSERT_TRUE(window->SelectedSoldier(&chosen));
  window->StatusEditor()->setCurrentIndex(static_cast<int>(ResearchStatus::kRecordsOrdered));
  window->NotesEditor()->setPlainText(QStringLiteral("Pension file ordered"));
  ASSERT_TRUE(window->ApplyEdit()) << window->ProblemLine()->text().toStdString();
  {
    ResearchLog log;
    ASSERT_TRUE(log.Open(DefaultLogPath(), LogAccess::kRead));
    SavedSoldier kept;
    std::vector<SoldierChange> history;
    ASSERT_TRUE(log.FindSoldier(chosen.id, &kept));
    ASSERT_TRUE(log.History(chosen.id, &history));
    EXPECT_EQ(kept.status, ResearchStatus::kRecordsOrdered);
    EXPECT_EQ(kept.notes, "Pension file ordered");
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[1].what, "status, notes");
  }
  // Reading the log again (a save from the main screen, the window coming back) keeps what is
  // being typed for the chosen soldier.
  window->NotesEditor()->setPlainText(QStringLiteral("half typed"));
  window->Refresh();
  EXPECT_EQ(window->NotesEditor()->toPlainText(), QStringLiteral("half typed"));
  window->StatusFilter()->setCurrentIndex(1 + static_cast<int>(ResearchStatus::kRecordsOrdered));
  EXPECT_EQ(window->SoldierTable()->rowCount(), 1);
  window->StatusFilter()->setCurrentIndex(0);

  // More Info: from the roll while it is the roll he was saved from, else the saved copy, marked.
  QString caption;
  bool marked = false;
  const auto capture = [&caption, &marked](QWidget* dialog) {
    caption = dialog->windowTitle();
    marked = dialog->findChild<QLabel*>(QStringLiteral("savedCopy")) != nullptr;
    static_cast<QDialog*>(dialog)->accept();
  };
  OnNextModal(capture);
  research->OnMoreInfo(chosen);
  EXPECT_FALSE(caption.contains(QLatin1String(kSavedCopyNote))) << caption.toStdString();
  EXPECT_FALSE(marked);
  SavedSoldier elsewhere = chosen;
  elsewhere.roll.hash = std::string(32, 'f');
  OnNextModal(capture);
  research->OnMoreInfo(elsewhere);
  EXPECT_TRUE(caption.contains(QLatin1String(kSavedCopyNote))) << caption.toStdString();
  EXPECT_TRUE(marked);

  // The soundex search comes back with its mode and its result.
  Choose(MatchMode::kExact);
  view->OnClear();
  LoggedSearch abbot;
  for (int row = 0; row < window->SearchTable()->rowCount(); ++row) {
    window->SearchTable()->selectRow(row);
    if (window->SelectedSearch(&abbot) && abbot.surname == "ABBOT") break;
  }
  ASSERT_EQ(abbot.surname, "ABBOT");
  window->RerunButton()->click();
  EXPECT_TRUE(Find()->ModeAction(MatchMode::kSoundex)->isChecked());
  EXPECT_EQ(view->NameField(0)->text(), QStringLiteral("ABBOT"));
  EXPECT_EQ(view->Results()->ResultCount(), abbot.count);
}

TEST_F(ResearchTest, ExportsAreWrittenWholeAndNeverOverTheLogItself) {
  Search(QStringLiteral("MULLER"));
  SaveRowByKey(0);
  ResearchWindow* window = research->ShowWindow();
  ScopedTempDir out;
  ASSERT_TRUE(window->ExportTo(0, QString::fromStdString(out / "log.csv")));
  ASSERT_TRUE(window->ExportTo(1, QString::fromStdString(out / "log.md")));
  ASSERT_TRUE(window->ExportTo(2, QString::fromStdString(out / "soldiers.ged")));
  EXPECT_NE(Contents(out / "log.csv").find("MULLER"), std::string::npos);
  EXPECT_NE(Contents(out / "log.md").find("MULLER"), std::string::npos);
  EXPECT_EQ(Contents(out / "soldiers.ged").rfind("0 HEAD", 0), 0u);

  const std::string before = Contents(DefaultLogPath());
  EXPECT_FALSE(window->ExportTo(1, QString::fromStdString(DefaultLogPath())));
  EXPECT_EQ(Contents(DefaultLogPath()), before);
  EXPECT_FALSE(boxes.Texts().empty()) << "the refusal is told";
}

// A log that cannot be used: the search goes on, the person is told once, the file stays as it was.
class HostileLogTest : public ResearchTest {
 protected:
  void SearchTwiceAndExpectOneNote() {
    int notes = 0;
    QObject::connect(research, &ResearchActions::noteShown, [&notes] { ++notes; });
    Search(QStringLiteral("MULLER"));
    const QString count = view->CountLine();
    EXPECT_NE(count, QString::fromLatin1(kNoRecordsText));
    Search(QStringLiteral("ABBOTT"));
    EXPECT_EQ(view->Results()->ResultCount(), 23);
    Settle();
    EXPECT_SOON(notes >= 1);
    QTest::qWait(0);
    EXPECT_EQ(notes, 1) << research->LastNote().toStdString();
  }
};

#ifndef _WIN32
TEST_F(HostileLogTest, AFifoDirectoryOrForeignFileInTheLogsPlaceIsLeftAsItIs) {
  const std::string path = DefaultLogPath();
  ::mkdir((places.data / "dravenholt").c_str(), 0700);
  for (int kind = 0; kind < 3; ++kind) {
    SCOPED_TRACE(kind);
    CloseWindow();
    std::remove(path.c_str());
    ::rmdir(path.c_str());
    if (kind == 0) {
      ASSERT_TRUE(MakeFifo(path));
    }
    if (kind == 1) {
      ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    }
    if (kind == 2) std::ofstream(path, std::ios::binary) << "not a database, but somebody's notes\n";
    struct stat before {};
    ASSERT_EQ(::lstat(path.c_str(), &before), 0);
    OpenWindow();
    research = frame->findChild<ResearchActions*>();
    SearchTwiceAndExpectOneNote();
    EXPECT_TRUE(research->LastNote().contains(QString::fromStdString(path)));
    struct stat after {};
    ASSERT_EQ(::lstat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_mode, after.st_mode);
    if (kind == 2) {
      EXPECT_EQ(Contents(path), "not a database, but somebody's notes\n");
    }
  }
}
#endif

TEST_F(HostileLogTest, ALogOfANewerVersionIsNotTouched) {
  {
    ResearchLog log;
    ASSERT_TRUE(log.Open(DefaultLogPath(), LogAccess::kWrite));
    LoggedSearch kept;
    kept.surname = "KEPT";
    ASSERT_TRUE(log.RecordSearch(&kept));
  }
  {
    Connection raw;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(DefaultLogPath().c_str(), &db), SQLITE_OK);
    raw.reset(db);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA user_version = 99", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
  }
  const std::string before = Contents(DefaultLogPath());
  CloseWindow();
  OpenWindow();
  research = frame->findChild<ResearchActions*>();
  SearchTwiceAndExpectOneNote();
  EXPECT_TRUE(research->LastNote().contains(QStringLiteral("newer"))) << research->LastNote().toStdString();
  EXPECT_EQ(Contents(DefaultLogPath()), before);
  // The window says so too, in its own line.
  ResearchWindow* window = research->ShowWindow();
  EXPECT_TRUE(window->ProblemLine()->isVisible());
}

}  // namespace
