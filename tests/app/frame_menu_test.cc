// The frame's menu bar and status strip: what they hold, what their items and keys do, and the
// API by which later work adds to them.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/about_dialog.h"
#include "app/main_frame.h"
#include "app/program_about.h"
#include "app/view_app.h"
#include "app_fixture.h"
#include "platform/qt/screen_zoom.h"
#include "ui/help_window.h"
#include "viewer_fixture.h"

namespace {

QStringList Titles(const QMenuBar* bar) {
  QStringList titles;
  for (const QAction* action : bar->actions()) titles << action->text();
  return titles;
}

// "text<TAB>shortcuts" of each item of `menu`, "-" for a separator.
QStringList Items(const QMenu* menu) {
  QStringList items;
  for (const QAction* action : menu->actions()) {
    if (action->isSeparator()) {
      items << QStringLiteral("-");
      continue;
    }
    QStringList keys;
    for (const QKeySequence& key : action->shortcuts()) keys << key.toString(QKeySequence::PortableText);
    items << action->text() + QLatin1Char('\t') + keys.join(QLatin1Char(' '));
  }
  return items;
}

QChar Mnemonic(const QString& text) { return text.at(text.indexOf(QLatin1Char('&')) + 1).toUpper(); }

class FrameMenuTest : public ViewerTest {
 protected:
  void SetUp() override {
    AddStandardEntries(&roll);
    OpenWindow();
  }
};

TEST_F(FrameMenuTest, TheMenuBarHoldsWhatWorksTodayWithMnemonicsClearOfTheButtons) {
  // File and Edit open with the items for what was found (their own tests: tests/ui/use_actions_test.cc).
  EXPECT_EQ(Titles(frame->MenuBar()), (QStringList{"&File", "&Edit", "F&ind", "&View", "&Help"}));
  EXPECT_EQ(Items(frame->Menu(FrameMenu::kFile)).constLast(), QStringLiteral("&Quit\tCtrl+Q"));
  EXPECT_EQ(Items(frame->Menu(FrameMenu::kView)), (QStringList{"Zoom &In\tCtrl++ Ctrl+= Ctrl+Shift++",
                                                              "Zoom &Out\tCtrl+-", "&Actual Size\tCtrl+0"}));
  EXPECT_EQ(Items(frame->Menu(FrameMenu::kHelp)),
            (QStringList{"Dravenholt &Help\tF1", "-", "&About Dravenholt\tCtrl+F1"}));

  // Every menu's letter, the later ones included, differs from the others and from the view's
  // buttons' letters (S, C, M, Q).
  frame->Menu(FrameMenu::kEdit);
  frame->Menu(FrameMenu::kFind);
  QString letters;
  for (const QString& title : Titles(frame->MenuBar())) letters += Mnemonic(title);
  EXPECT_EQ(letters, QStringLiteral("FEIVH"));
  for (QChar button : QStringLiteral("SCMQ")) EXPECT_FALSE(letters.contains(button)) << button.toLatin1();

  // The status strip, under the client area, shows the zoom in use.
  auto* zoom = frame->findChild<QLabel*>(QStringLiteral("zoomText"));
  ASSERT_NE(zoom, nullptr);
  EXPECT_EQ(zoom->text(), QStringLiteral("100%"));
  EXPECT_EQ(frame->findChild<QStatusBar*>()->y(), view->geometry().bottom() + 1);
}

TEST_F(FrameMenuTest, HelpAndQuitWorkFromTheirKeysWhileTheFocusIsInTheSurnameField) {
  ASSERT_EQ(Focus(), view->NameField(0));
  QTest::keyClick(view->NameField(0), Qt::Key_F1);
  QPointer<HelpWindow> help = view->Help();
  ASSERT_FALSE(help.isNull());
  EXPECT_TRUE(help->isVisible());
  help->close();

  // Alt+H opens the Help menu; the Help button (which has no letter) is not pressed.
  QApplication::setActiveWindow(frame.get());
  QTest::keyClick(view->NameField(0), Qt::Key_H, Qt::AltModifier);
  EXPECT_SOON(frame->Menu(FrameMenu::kHelp)->isVisible());
  frame->Menu(FrameMenu::kHelp)->close();
  EXPECT_FALSE(help->isVisible());

  QApplication::setActiveWindow(frame.get());
  QTest::keyClick(view->NameField(0), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_SOON(!frame->isVisible());
}

TEST_F(FrameMenuTest, LaterItemsGoInTheirPlacesAndTheStatusTextShows) {
  // A menu made later stands in its place on the bar (File and Edit hold the items for what was
  // found from the start).
  frame->Menu(FrameMenu::kFind);
  EXPECT_EQ(Titles(frame->MenuBar()), (QStringList{"&File", "&Edit", "F&ind", "&View", "&Help"}));

  // Items go before the ones that close a menu, and their keys work in the window.
  int opened = 0;
  auto* openItem = new QAction(QStringLiteral("&Open Notes..."), frame.get());
  openItem->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  QObject::connect(openItem, &QAction::triggered, [&] { ++opened; });
  frame->AddMenuAction(FrameMenu::kFile, openItem);
  frame->AddMenuAction(FrameMenu::kHelp, new QAction(QStringLiteral("&Citation Guide"), frame.get()));
  EXPECT_EQ(Items(frame->Menu(FrameMenu::kFile)).mid(Items(frame->Menu(FrameMenu::kFile)).size() - 2),
            (QStringList{"&Open Notes...\tCtrl+Shift+O", "&Quit\tCtrl+Q"}));
  EXPECT_EQ(Items(frame->Menu(FrameMenu::kHelp)),
            (QStringList{"Dravenholt &Help\tF1", "&Citation Guide\t", "-", "&About Dravenholt\tCtrl+F1"}));
  QTest::keyClick(view->NameField(0), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(opened, 1);

  frame->SetStatusText(QStringLiteral("Sounds like (Soundex)"));
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Sounds like (Soundex)"));
  EXPECT_TRUE(
      frame->findChild<QStatusBar*>()->isAncestorOf(frame->findChild<QLabel*>(QStringLiteral("statusText"))));
  // The client area did not move or change for any of it.
  EXPECT_EQ(view->geometry(), QRect(0, frame->MenuBar()->height(), 632, 453));
}

TEST_F(FrameMenuTest, ZoomInGoesOnlyAsFarAsTheWindowFitsTheScreen) {
  // The offscreen screen is 800 x 800: the frame fits at 125%, not at 150%.
  ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(800, 800));
  QTemporaryDir config;
  ScopedEnv env;
  env.Set(kUserSettingsVariable, config.path().toUtf8().constData());
  QTest::keyClick(view->NameField(0), Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(ScreenZoom(), 1.25);
  QTest::keyClick(view->NameField(0), Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(ScreenZoom(), 1.25);
  EXPECT_FALSE(frame->Menu(FrameMenu::kView)->actions().at(0)->isEnabled());
  SetScreenZoom(1);
}

class AboutMenuTest : public ::testing::Test {
 protected:
  AboutMenuTest() { g_bFirstDraw = true; }
  StartUpEnvironment env;
};

TEST_F(AboutMenuTest, AboutDravenholtShowsItsOwnBoxAndTheClassicBoxStaysTheCommands) {
  CViewApp app;
  ASSERT_EQ(app.InitInstance(), 1);
  CMainFrame* frame = app.MainWindow();
  QStringList titles;
  QString text;
  auto close = [&] {
    OnNextModal([&](QWidget* modal) {
      titles << modal->windowTitle();
      if (qobject_cast<ProgramAboutBox*>(modal))
        text = modal->findChild<QLabel*>(QStringLiteral("aboutText"))->text();
      QTest::keyClick(modal, Qt::Key_Escape);
    });
  };
  close();
  for (QAction* action : frame->Menu(FrameMenu::kHelp)->actions()) {
    if (action->text() == QStringLiteral("&About Dravenholt")) action->trigger();
  }
  EXPECT_TRUE(text.contains(QStringLiteral("Dravenholt " DRAVENHOLT_TEST_VERSION))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("GNU Lesser General Public License")));
  EXPECT_TRUE(text.contains(QStringLiteral("CC BY 4.0")));
  EXPECT_TRUE(text.contains(QStringLiteral("Jeffrey B. Arnold")));
  // Its key from the name field, where the caret is.
  QApplication::setActiveWindow(frame);
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
  close();
  QTest::keyClick(frame->View()->NameField(0), Qt::Key_F1, Qt::ControlModifier);
  close();
  app.OnAppAbout();
  EXPECT_EQ(titles, (QStringList{"About Dravenholt", "About Dravenholt", "About View"}));
  app.ExitInstance();
}

}  // namespace
