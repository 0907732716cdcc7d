// Not a check: saves what a person should look at when judging the Find menu, to PNG files named
// after $DRAVENHOLT_SCREENSHOT (a .png path): MULLER by Soundex, SM?TH typed, SMITH through a
// Confederate filter (each the whole window, status strip included), the Find menu opened, the
// Filters dialog, and the progress dialog of a long search.
//
//   DISPLAY=:99 QT_QPA_PLATFORM=xcb DRAVENHOLT_SCREENSHOT=/tmp/find.png
//     build/tests/ui/ui_tests --gtest_filter='FindScreenshotTest.*'
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTimer>

#include "find_fixture.h"
#include "ui/filters_dialog.h"
#include "ui/search_progress.h"

namespace {

class FindScreenshotTest : public FindTest {
 protected:
  void SetUp() override {}
  void TearDown() override { SearchProgress::ShowDelay() = 100; }
  void Save(QWidget* widget, const QString& name) {
    QTest::qWait(200);  // a real display shows the new content after a round trip
    ASSERT_TRUE(widget->grab().save(stem + QLatin1Char('-') + name + QStringLiteral(".png")));
  }
  QString stem;
};

TEST_F(FindScreenshotTest, SavesTheFindScreens) {
  const QString path = qEnvironmentVariable("DRAVENHOLT_SCREENSHOT");
  if (path.isEmpty()) GTEST_SKIP() << "set DRAVENHOLT_SCREENSHOT to a .png path";
  stem = path.endsWith(QLatin1String(".png")) ? path.chopped(4) : path;
  AddSpellings(&roll);
  for (int i = 0; i < 100000; ++i) roll.Add("Name" + std::to_string(i % 997), "G", EntryFields("A", "5 IL INF", "U"));
  OpenWindow();

  Choose(MatchMode::kSoundex);
  Search(QStringLiteral("MULLER"));
  ClickRow(3);
  Save(frame.get(), QStringLiteral("soundex-muller"));

  Choose(MatchMode::kExact);
  Search(QStringLiteral("SM?TH"));
  Save(frame.get(), QStringLiteral("wildcard-smith"));

  OnNextModal([this](QWidget* modal) {
    auto* dialog = qobject_cast<FiltersDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->SideButton('C')->click();
    Save(dialog, QStringLiteral("filters"));
    dialog->accept();
  });
  Find()->FiltersAction()->trigger();
  Search(QStringLiteral("SMITH"));
  Save(frame.get(), QStringLiteral("confederate-smith"));

  QMenu* menu = frame->Menu(FrameMenu::kFind);
  menu->popup(frame->mapToGlobal(QPoint(frame->MenuBar()->actionGeometry(menu->menuAction()).left(),
                                         frame->MenuBar()->height())));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  Save(menu, QStringLiteral("findmenu"));
  menu->close();

  // A unit filter over every surname, its dialog shown at once and grabbed, then stopped.
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
    saved = dialog->grab().save(stem + QStringLiteral("-progress.png"));
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  watch.start();
  Search(QStringLiteral("*"));
  EXPECT_TRUE(saved);
  Save(frame.get(), QStringLiteral("stopped"));
}

}  // namespace
