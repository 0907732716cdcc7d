// What a person looks at to judge the viewer, saved as PNG files into $DRAVENHOLT_SCREENSHOT_DIR:
// not a test (ctest does not run it) but the program scripts/screenshots.sh runs on a display.
//
//   viewer.png (and viewer-screen.png where the platform can grab the screen): the window after a
//     search with a row selected, zoomed to $DRAVENHOLT_SCREENSHOT_ZOOM (1 when unset);
//     viewer-viewmenu.png, viewer-moreinfo.png, viewer-help.png: the View menu, More Info on the
//     selected row, the help;
//   find-*.png: MULLER by Soundex and by similar spelling, SM?TH typed, SMITH through a
//     Confederate filter (the whole window, status strip included), the Find menu, the Filters
//     dialog, the progress of a long search and the result left after it was stopped;
//   file-menu.png, edit-menu.png, print-preview.png: the menus of what was found, and the preview;
//   use-*.png: the status strip after a filter was cleared (the search made again), a row's
//     tooltip, More Info with its walk and print buttons, the short error boxes, the pull list,
//     the preview of a list with long ranks and microfilm references;
//   research-*.png and research-log.md: the research log as a new user meets it: MULLER searched
//     by sound, two soldiers saved with notes, the viewer closed and opened again, a search that
//     found nothing, the Research window's two lists, a saved soldier's More Info from the roll
//     and from the saved copy, and the log exported as Markdown;
//   unit-*.png, unit-roster.csv, unit-roster.ged, unit-soldier.ged: KELLY found, his More Info, his
//     unit's window with its battles, his company's roster, a comrade's More Info, and the dialogs
//     and files of the roster's CSV export, the roster's GEDCOM with comrades and his own GEDCOM
//     with his unit's battles.
//
// A real display shows a window's new content after a round trip to its server: each picture is
// taken a moment after the change it shows.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>

#include "app/research_actions.h"
#include "find_fixture.h"
#include "platform/message_box.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/screen_zoom.h"
#include "store/roll_status.h"
#include "support/environment.h"
#include "support/scoped_env.h"
#include "support/scoped_temp_dir.h"
#include "ui/companion_builds.h"
#include "ui/filters_dialog.h"
#include "ui/help_window.h"
#include "ui/more_info_dialog.h"
#include "ui/printing.h"
#include "ui/research_desk.h"
#include "ui/research_window.h"
#include "ui/search_progress.h"
#include "ui/unit_window.h"

namespace {

constexpr int kRoundTripMs = 200;

// Saves `widget` as <dir>/<name>.png once its new content is on the display.
void Save(QWidget* widget, const QString& name) {
  QTest::qWait(kRoundTripMs);
  const QString path =
      qEnvironmentVariable("DRAVENHOLT_SCREENSHOT_DIR") + QLatin1Char('/') + name + QStringLiteral(".png");
  ASSERT_TRUE(widget->grab().save(path)) << path.toStdString();
}

void SaveMenu(CMainFrame* frame, FrameMenu which, const QString& name) {
  QMenu* menu = frame->Menu(which);
  menu->popup(frame->mapToGlobal(
      QPoint(frame->MenuBar()->actionGeometry(menu->menuAction()).left(), frame->MenuBar()->height())));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  Save(menu, name);
  menu->close();
}

class Screenshots : public FindTest {
 protected:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("DRAVENHOLT_SCREENSHOT_DIR"))
      GTEST_SKIP() << "set DRAVENHOLT_SCREENSHOT_DIR";
  }
  void TearDown() override {
    CloseWindow();
    SetScreenZoom(1);
    SearchProgress::ShowDelay() = 100;
  }
};

TEST_F(Screenshots, TheWindowAfterASearch) {
  bool ok = false;
  const double zoom = qEnvironmentVariable("DRAVENHOLT_SCREENSHOT_ZOOM").toDouble(&ok);
  if (ok && zoom > 0) SetScreenZoom(zoom);
  AddStandardEntries(&roll);
  OpenWindow();
  frame->ShowZoom();
  Search(QStringLiteral("Abbott"));
  ClickRow(3);
  Save(frame.get(), QStringLiteral("viewer"));
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    QGuiApplication::primaryScreen()->grabWindow(0).save(qEnvironmentVariable("DRAVENHOLT_SCREENSHOT_DIR") +
                                                         QStringLiteral("/viewer-screen.png"));
  }
  SaveMenu(frame.get(), FrameMenu::kView, QStringLiteral("viewer-viewmenu"));
  OnNextModal([](QWidget* modal) {
    Save(modal, QStringLiteral("viewer-moreinfo"));
    QTest::keyClick(modal, Qt::Key_Return);
  });
  view->OnMoreInfo();
  view->OnHelp();
  ASSERT_NE(view->Help(), nullptr);
  Save(view->Help(), QStringLiteral("viewer-help"));
}

TEST_F(Screenshots, TheFindScreens) {
  AddSpellings(&roll);
  roll.Add("Butler", "AMOS", EntryFields("B", "7 OH INF", "U"));
  for (int i = 0; i < 100000; ++i)
    roll.Add("Name" + std::to_string(i % 997), "G", EntryFields("A", "5 IL INF", "U"));
  OpenWindow();

  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("MULLER"));
  ClickRow(3);
  Save(frame.get(), QStringLiteral("find-soundex-muller"));
  // Similar spelling: the closest surnames first, the status strip naming how far each is.
  Choose(MatchMode::kSimilar);
  Search(QStringLiteral("MULLER"));
  ClickRow(2);
  Save(frame.get(), QStringLiteral("find-similar-muller"));
  Choose(MatchMode::kExact);
  Search(QStringLiteral("SM?TH"));
  Save(frame.get(), QStringLiteral("find-wildcard-smith"));

  OnNextModal([](QWidget* modal) {
    auto* dialog = qobject_cast<FiltersDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->SideButton('C')->click();
    Save(dialog, QStringLiteral("find-filters"));
    dialog->accept();
  });
  Find()->FiltersAction()->trigger();
  Search(QStringLiteral("SMITH"));
  Save(frame.get(), QStringLiteral("find-confederate-smith"));
  SaveMenu(frame.get(), FrameMenu::kFind, QStringLiteral("find-menu"));

  // A unit filter over every surname, its dialog shown at once and saved, then stopped: without
  // the companion index, from which such a search is counted at once and shows no progress.
  frame->Companions()->SetEnabled(false);
  EntryFilter unit;
  unit.unit = "CAV";
  Find()->SetFilter(unit);
  SearchProgress::ShowDelay() = 0;
  bool saved = false;
  QTimer watch;
  watch.setInterval(0);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || saved) return;
    saved = dialog->grab().save(qEnvironmentVariable("DRAVENHOLT_SCREENSHOT_DIR") +
                                QStringLiteral("/find-progress.png"));
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  watch.start();
  Search(QStringLiteral("*"));
  EXPECT_TRUE(saved);
  Save(frame.get(), QStringLiteral("find-stopped"));
}

TEST_F(Screenshots, TheMenusOfWhatWasFoundAndThePreview) {
  AddStandardEntries(&roll);
  OpenWindow();
  Search(QStringLiteral("Abbott"));
  ClickRow(2);
  SaveMenu(frame.get(), FrameMenu::kFile, QStringLiteral("file-menu"));
  SaveMenu(frame.get(), FrameMenu::kEdit, QStringLiteral("edit-menu"));
#if DRAVENHOLT_CAN_PRINT
  OnNextModal([](QWidget* modal) {
    Save(modal, QStringLiteral("print-preview"));
    modal->close();
  });
  for (QAction* action : frame->Menu(FrameMenu::kFile)->actions()) {
    if (action->text() == QStringLiteral("Print Pre&view...")) action->trigger();
  }
#endif
}

TEST_F(Screenshots, WhatANewUserMeets) {
  AddSpellings(&roll);
  roll.Add("Featherstonehaugh", "BARTHOLOMEW ALEXANDER",
           {"L", "K", "25 BTRY OH LT ART", "2D LIEUT", "1ST LIEUT", "", "1500", "3456", "78901", "U"});
  OpenWindow();

  // A filter put in force and cleared with a result on screen: the search is made again each time.
  EntryFilter confederate;
  confederate.side = 'C';
  Search(QStringLiteral("SMITH"));
  Find()->SetFilter(confederate);
  Save(frame.get(), QStringLiteral("use-filter-rerun"));
  Find()->ClearFiltersAction()->trigger();
  Save(frame.get(), QStringLiteral("use-filter-cleared"));

  // The page in the strip, a selected row spelled out in it, and a row's tooltip.
  Search(QStringLiteral("ABBOTT"));
  view->OnNextPage();
  ClickRow(2);
  Save(frame.get(), QStringLiteral("use-strip"));
  const QPoint over = view->CellRect(4, 2).center();
  QHelpEvent help(QEvent::ToolTip, over, view->mapToGlobal(over));
  QApplication::sendEvent(view, &help);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->inherits("QTipLabel") && top->isVisible()) Save(top, QStringLiteral("use-row-tooltip"));
  }
  QToolTip::hideText();

  OnNextModal([](QWidget* modal) {
    Save(modal, QStringLiteral("use-moreinfo"));
    QTest::keyClick(modal, Qt::Key_Return);
  });
  view->OnMoreInfo();

  SetDialogBkColor(QColor(192, 192, 192), QColor(0, 0, 0));
  InstallQtMessageBoxHandler();
  for (const char* text : {kLineFileMessage, kWrongFileFormat}) {
    OnNextModal([text](QWidget* modal) {
      Save(modal, QStringLiteral("use-box-") +
                      QString::fromLatin1(text).remove(QLatin1Char(' ')).remove(QLatin1Char('!')));
      QTest::keyClick(modal, Qt::Key_Return);
    });
    ShowMessageBox(text, kMbOk);
  }
  InstallMessageBoxHandler(nullptr);

  Search(QStringLiteral("ABBOTT"));
  OnNextModal([](QWidget* modal) {
    Save(modal, QStringLiteral("use-pull-list"));
    modal->close();
  });
  for (QAction* action : frame->Menu(FrameMenu::kFile)->actions()) {
    if (action->text() == QStringLiteral("Microfilm &Pull List...")) action->trigger();
  }
#if DRAVENHOLT_CAN_PRINT
  Search(QStringLiteral("FEATHERSTONEHAUGH"));
  OnNextModal([](QWidget* modal) {
    Save(modal, QStringLiteral("use-print-preview"));
    modal->close();
  });
  for (QAction* action : frame->Menu(FrameMenu::kFile)->actions()) {
    if (action->text() == QStringLiteral("Print Pre&view...")) action->trigger();
  }
#endif
}

TEST_F(Screenshots, TheResearchLogAsANewUserMeetsIt) {
  // A new user: a log of their own, not the searches of the pictures above.
  ScopedTempDir data;
  ScopedEnv env;
  env.Set(kUserDataVariable, data.Path().c_str());
  AddSpellings(&roll);
  OpenWindow();
  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("MULLER"));
  auto* research = frame->findChild<ResearchActions*>();
  const char* notes[] = {"Check the 1890 veterans schedule", "Not ours: wrong state"};
  for (int row = 0; row < 2; ++row) {
    view->SelectRow(row);
    research->OnSaveRow();
  }
  ResearchWindow* window = research->ShowWindow();
  for (int row = 0; row < 2; ++row) {
    window->SoldierTable()->selectRow(row);
    window->NotesEditor()->setPlainText(QString::fromLatin1(notes[row]));
    window->StatusEditor()->setCurrentIndex(row == 0 ? 0 : 2);
    window->ApplyEdit();
  }
  CloseWindow();

  OpenWindow();
  Choose(MatchMode::kExact);
  Search(QStringLiteral("KRAUSSMANN"));
  research = frame->findChild<ResearchActions*>();
  window = research->ShowWindow();
  window->SoldierTable()->selectRow(0);
  Save(window, QStringLiteral("research-soldiers"));
  window->Tabs()->setCurrentIndex(1);
  Save(window, QStringLiteral("research-searches"));
  window->Tabs()->setCurrentIndex(0);
  SavedSoldier soldier;
  ASSERT_TRUE(window->SelectedSoldier(&soldier));
  OnNextModal([](QWidget* modal) {
    Save(modal, QStringLiteral("research-moreinfo"));
    modal->close();
  });
  research->OnMoreInfo(soldier);
  // The same soldier when the roll at hand is another one: his entry as the log kept it.
  soldier.roll.hash = std::string(32, '0');
  OnNextModal([](QWidget* modal) {
    Save(modal, QStringLiteral("research-moreinfo-saved-copy"));
    modal->close();
  });
  research->OnMoreInfo(soldier);
  ASSERT_TRUE(window->ExportTo(
      1, qEnvironmentVariable("DRAVENHOLT_SCREENSHOT_DIR") + QStringLiteral("/research-log.md")));
  SaveMenu(frame.get(), FrameMenu::kFile, QStringLiteral("research-file-menu"));
  window->close();
}

}  // namespace

namespace {

// Answers the next file dialog with `name` in the screenshot directory, ticking every option it
// offers, once `picture` of it is saved.
void SaveFileAs(const QString& name, const QString& picture) {
  OnNextModal([name, picture](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (dialog == nullptr) {
      static_cast<QDialog*>(modal)->reject();
      return;
    }
    dialog->selectFile(qEnvironmentVariable("DRAVENHOLT_SCREENSHOT_DIR") + QLatin1Char('/') + name);
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) box->setChecked(true);
    Save(dialog, picture);
    static_cast<QDialog*>(dialog)->accept();
  });
}

QAction* FileItem(CMainFrame* frame, const QString& text) {
  for (QAction* action : frame->Menu(FrameMenu::kFile)->actions()) {
    if (action->text() == text) return action;
  }
  return nullptr;
}

}  // namespace

// A new user's walk: KELLY found, a soldier's More Info, his unit's window with its battles, his
// company's roster, a comrade's More Info, the roster exported as CSV (unit-roster.csv), the
// roster saved as GEDCOM with comrades (unit-roster.ged) and the soldier with his battles
// (unit-soldier.ged), each dialog as it stood before it was answered.
TEST_F(Screenshots, TheUnitWindowAndACompanysRoster) {
  const char* surnames[] = {"Kelly", "Adams", "Berg", "Carlson", "Dahl", "Olson", "Nelson", "Lund"};
  const char* givens[] = {"PATRICK", "JOHN", "ERIK", "NILS", "OLE", "PETER", "ANDREW", "HANS"};
  const char* companies[] = {"D", "A", "D", "F", "D", "D", "B", "D"};
  for (int i = 0; i < 40; ++i) {
    roll.Add(surnames[i % 8],
             std::string(givens[(i / 8) % 8]) +
                 (i >= 8 ? " " + std::string(1, static_cast<char>('A' + i % 7)) : ""),
             EntryFields(companies[(i + i / 8) % 8], "1 MN INF", "U"));
  }
  roll.Add("Kelly", "MICHAEL", EntryFields("D", "1 MN INF", "C"));
  OpenWindow();
  Search(QStringLiteral("Kelly"));
  ClickRow(0);
  Save(frame.get(), QStringLiteral("unit-search"));
  OnNextModal([](QWidget* modal) {
    Save(modal, QStringLiteral("unit-moreinfo"));
    OnNextModal([](QWidget* window) {
      Save(window, QStringLiteral("unit-window"));
      auto* unit = qobject_cast<UnitWindow*>(window);
      if (unit && unit->CompanyButton()->isVisible())
        unit->CompanyButton()->click();
      else
        static_cast<QDialog*>(window)->reject();
    });
    if (auto* info = qobject_cast<MoreInfoDialog*>(modal)) info->UnitButton()->click();
  });
  view->OnMoreInfo();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->Screen().ShownRoster() != nullptr; }));
  ClickRow(2);
  Save(frame.get(), QStringLiteral("unit-roster"));
  OnNextModal([](QWidget* modal) {
    Save(modal, QStringLiteral("unit-comrade-moreinfo"));
    static_cast<QDialog*>(modal)->reject();
  });
  view->OnMoreInfo();
  SaveFileAs(QStringLiteral("unit-roster.csv"), QStringLiteral("unit-export-dialog"));
  FileItem(frame.get(), QStringLiteral("&Export Results..."))->trigger();
  SaveFileAs(QStringLiteral("unit-roster.ged"), QStringLiteral("unit-roster-gedcom-dialog"));
  FileItem(frame.get(), QStringLiteral("Save &All Results as GEDCOM..."))->trigger();
  // The soldier himself, from his More Info in the roster.
  for (int page = 0, found = -1; found < 0 && page < 10; ++page) {
    for (int row = 0; row < view->ShownRowCount(); ++row) {
      if (std::string(view->Screen().RowText(row)).rfind("KELLY\tPATRICK", 0) == 0) found = row;
    }
    if (found >= 0) {
      ClickRow(found);
    } else {
      view->Screen().OnNextPage();
    }
  }
  OnNextModal([](QWidget* modal) {
    SaveFileAs(QStringLiteral("unit-soldier.ged"), QStringLiteral("unit-soldier-gedcom-dialog"));
    static_cast<MoreInfoDialog*>(modal)->GedcomButton()->click();
    static_cast<QDialog*>(modal)->accept();
  });
  view->OnMoreInfo();
  Save(frame.get(), QStringLiteral("unit-after"));
}
