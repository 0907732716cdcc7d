// Start-up and shutdown of the application object, the main frame and the document.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>

#include "app/about_dialog.h"
#include "app/main_frame.h"
#include "app/view_app.h"
#include "app/view_doc.h"
#include "app_fixture.h"
#include "platform/error_mode.h"
#include "platform/qt/qt_dialogs.h"
#include "ui/hist_view.h"

namespace {

TEST(FramePlacementTest, FirstActivationCentresByTheWorkAreasRightAndBottom) {
  // A 1024x768 screen with a 30-pixel task bar at the bottom.
  EXPECT_EQ(FirstActivationRect(1024, 738), QRect(QPoint(192, 129), QPoint(831, 608)));
  // A work area narrower than the frame: it overhangs the left edge rather than shrinking.
  EXPECT_EQ(FirstActivationRect(600, 480).topLeft(), QPoint(-20, 0));
  EXPECT_EQ(FirstActivationRect(641, 481).topLeft(), QPoint(0, 0));
  EXPECT_EQ(FirstActivationRect(640, 480).size(), QSize(640, 480));
  // The frame grown by a menu bar and a status strip is centred the same way.
  EXPECT_EQ(FirstActivationRect(1024, 738, QSize(640, 524)), QRect(192, 107, 640, 524));
  EXPECT_EQ(FirstActivationRect(600, 500, QSize(640, 524)).topLeft(), QPoint(-20, -12));
}

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() { g_bFirstDraw = true; }
  ~StartUpTest() override {
    CViewDoc::BackdropResource() = QStringLiteral(":/IDB_BACKDROP.bmp");
    InstallMessageBoxHandler(nullptr);
  }
  StartUpEnvironment env;
};

TEST_F(StartUpTest, OpensOneCaptionedFixedWindowAndRestoresTheErrorModeAtExit) {
  SetCriticalErrorMode(kSemFailCriticalErrors);  // an earlier mode to come back to
  {
    CViewApp app;
    ASSERT_EQ(app.InitInstance(), 1);
    CMainFrame* frame = app.MainWindow();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(CurrentCriticalErrorMode(), 0x8001u);
    EXPECT_EQ(app.savedErrorMode, kSemFailCriticalErrors);

    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Dravenholt"));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
    const Qt::WindowFlags flags = frame->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    // Fixed: the 632 x 453 client area, grown by the menu bar above it and the status strip below.
    const int menu = frame->MenuBar()->height();
    const int status = frame->findChild<QStatusBar*>()->height();
    EXPECT_GT(menu, 0);
    EXPECT_GT(status, 0);
    EXPECT_EQ(frame->minimumSize(), QSize(632, menu + 453 + status));
    EXPECT_EQ(frame->maximumSize(), frame->minimumSize());
    EXPECT_EQ(frame->View()->geometry(), QRect(0, menu, 632, 453));
    EXPECT_EQ(frame->FrameSize(), QSize(640, 480 + menu + status));
    ASSERT_TRUE(frame->Document()->backdrop);
    EXPECT_EQ(frame->Document()->backdrop->size(), QSize(632, 453));

    // Placed once, by the work area; the second activation during start-up did not move it.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect expected =
        FirstActivationRect(area.x() + area.width(), area.y() + area.height(), frame->FrameSize());
    EXPECT_EQ(frame->NormalRect(), expected);
    EXPECT_EQ(frame->pos(), expected.topLeft());
    frame->move(10, 20);
    frame->ActivateFrame(kSwShowNormal);
    EXPECT_EQ(frame->pos(), QPoint(10, 20));

    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    EXPECT_SOON(frame->focusWidget() == frame->View()->NameField(0));
    EXPECT_EQ(app.ExitInstance(), 0);
  }
  EXPECT_EQ(CurrentCriticalErrorMode(), kSemFailCriticalErrors);
  SetCriticalErrorMode(0);
}

TEST_F(StartUpTest, WithoutTheBackdropStartUpEndsWithNoWindow) {
  CViewDoc::BackdropResource() = QStringLiteral(":/no-such-picture.bmp");
  QString title, text;
  QColor background;
  OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    background = box->palette().color(QPalette::Window);
    box->accept();
  });
  CViewApp app;
  EXPECT_EQ(app.InitInstance(), 0);
  EXPECT_EQ(app.MainWindow(), nullptr);
  EXPECT_EQ(text, QStringLiteral("Couldn't load background"));
  EXPECT_EQ(title, QStringLiteral("Dravenholt"));
  EXPECT_EQ(background, QColor(192, 192, 192));
  EXPECT_EQ(app.ExitInstance(), 0);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
}

TEST_F(StartUpTest, WithoutAConfigurationTheWindowStillOpens) {
  ScopedEnv none;
  none.Set("BREVIK_INI", "/nonexistent/brevik.ini");
  none.Set("XDG_CONFIG_HOME", "/nonexistent");
  none.Set("XDG_CONFIG_DIRS", "/nonexistent");
  CViewApp app;
  ASSERT_EQ(app.InitInstance(), 1);
  EXPECT_NE(app.MainWindow(), nullptr);
  app.ExitInstance();
}

TEST_F(StartUpTest, TheAboutCommandShowsTheBoxAndEveryCloseKeyClosesIt) {
  CViewApp app;
  ASSERT_EQ(app.InitInstance(), 1);
  CMainFrame* frame = app.MainWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
  QApplication::setActiveWindow(frame);
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame));

  struct Seen {
    QString title;
    QStringList labels;
    bool okFocused = false;
    bool closed = false;
  };
  auto closeWith = [](Seen* seen, std::function<void(QDialog*)> close) {
    OnNextModal([seen, close](QWidget* modal) {
      auto* box = qobject_cast<AboutDialog*>(modal);
      ASSERT_NE(box, nullptr);
      seen->title = box->windowTitle();
      for (const QLabel* label : box->findChildren<QLabel*>()) seen->labels << label->text();
      const auto* ok = qobject_cast<QPushButton*>(box->focusWidget());
      seen->okFocused = ok && ok->text() == QStringLiteral("OK");
      close(box);
      seen->closed = !box->isVisible();
    });
  };

  // The command, with each way of closing.
  Seen viaKey;
  closeWith(&viaKey, [](QDialog* box) { QTest::keyClick(box, Qt::Key_Return); });
  app.OnAppAbout();
  EXPECT_EQ(viaKey.title, QStringLiteral("About View"));
  EXPECT_TRUE(viaKey.labels.contains(QStringLiteral("View Application Version 1.0")));
  EXPECT_TRUE(viaKey.okFocused);
  EXPECT_TRUE(viaKey.closed);

  for (auto close : std::vector<std::function<void(QDialog*)>>{
           [](QDialog* box) { QTest::keyClick(box, Qt::Key_Escape); },
           [](QDialog* box) { box->close(); },
           [](QDialog* box) { QTest::mouseClick(box->findChild<QPushButton*>(), Qt::LeftButton); }}) {
    Seen seen;
    closeWith(&seen, close);
    app.OnAppAbout();
    EXPECT_TRUE(seen.closed);
  }
  // Nothing else changed.
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(frame->View()->Results()->ResultCount(), 0);
  app.ExitInstance();
}

TEST_F(StartUpTest, TheWindowCarriesTheDesktopEntrysIdAndTheIconFromTheResources) {
  SetDesktopIdentity();
  EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("org.dravenholt.Dravenholt"));
  EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Dravenholt"));
  CViewApp app;
  ASSERT_EQ(app.InitInstance(), 1);
  // Every size the icon theme gets is in the resources, so the window system can choose.
  const QList<QSize> sizes = app.MainWindow()->windowIcon().availableSizes();
  for (int side : {32, 64, 128, 256}) EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  app.ExitInstance();
}

TEST(DocumentTest, LoadsTheBackdropWhateverTheNameAndOnlyOnce) {
  for (const char* name : {"IDB_BACKDROP", "", "/etc/passwd"}) {
    CViewDoc document;
    EXPECT_EQ(document.backdrop, nullptr);
    ASSERT_TRUE(document.OnOpenDocument(name)) << name;
    ASSERT_NE(document.backdrop, nullptr);
    EXPECT_EQ(document.backdrop->size(), QSize(632, 453)) << name;
  }
}

}  // namespace
