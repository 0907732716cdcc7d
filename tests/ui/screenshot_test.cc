// Not a check: saves what a person should look at, to PNG files named after $DRAVENHOLT_SCREENSHOT
// (a .png path): the window after a search with a row selected, zoomed to
// $DRAVENHOLT_SCREENSHOT_ZOOM (a zoom step; 1 when unset); the whole screen when the platform can
// grab it (an X server, say Xvfb); the View menu opened; More Info on the selected row; the help.
//
//   DISPLAY=:99 QT_QPA_PLATFORM=xcb DRAVENHOLT_SCREENSHOT=/tmp/shot.png DRAVENHOLT_SCREENSHOT_ZOOM=2
//     build/tests/ui/ui_tests --gtest_filter='ScreenshotTest.*'   (one command line)
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include "app/main_frame.h"
#include "platform/qt/screen_zoom.h"
#include "ui/help_window.h"
#include "viewer_fixture.h"

namespace {

class ScreenshotTest : public ViewerTest {
 protected:
  void TearDown() override {
    CloseWindow();
    SetScreenZoom(1);
  }
};

TEST_F(ScreenshotTest, SavesTheWindowAfterASearch) {
  const QString path = qEnvironmentVariable("DRAVENHOLT_SCREENSHOT");
  if (path.isEmpty()) GTEST_SKIP() << "set DRAVENHOLT_SCREENSHOT to a .png path";
  const QString stem = path.endsWith(QLatin1String(".png")) ? path.chopped(4) : path;
  bool ok = false;
  const double zoom = qEnvironmentVariable("DRAVENHOLT_SCREENSHOT_ZOOM").toDouble(&ok);
  if (ok && zoom > 0) SetScreenZoom(zoom);

  AddStandardEntries(&roll);
  OpenWindow();
  frame->ShowZoom();
  Search(QStringLiteral("Abbott"));
  ClickRow(3);
  QTest::qWait(200);  // a real display shows the window and its new content after a round trip
  ASSERT_TRUE(frame->grab().save(path));
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    QGuiApplication::primaryScreen()->grabWindow(0).save(stem + QStringLiteral("-screen.png"));
  }

  QMenu* menu = frame->Menu(FrameMenu::kView);
  menu->popup(frame->mapToGlobal(QPoint(0, frame->MenuBar()->height())));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  menu->grab().save(stem + QStringLiteral("-viewmenu.png"));
  menu->close();

  OnNextModal([stem](QWidget* modal) {
    modal->grab().save(stem + QStringLiteral("-moreinfo.png"));
    QTest::keyClick(modal, Qt::Key_Return);
  });
  view->OnMoreInfo();
  view->OnHelp();
  ASSERT_NE(view->Help(), nullptr);
  view->Help()->grab().save(stem + QStringLiteral("-help.png"));
}

}  // namespace
