// The search view as it stands after start-up: controls, their places, states and order.
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "ui/bitmap_button.h"
#include "viewer_fixture.h"

namespace {

class ViewLayoutTest : public ViewerTest {
 protected:
  void SetUp() override {
    AddStandardEntries(&roll);
    OpenWindow();
  }
};

TEST_F(ViewLayoutTest, EveryControlSitsAtItsPlaceWithItsTextAndState) {
  struct Expect {
    QWidget* control;
    QRect rect;
    const char* text;
    int id;
    bool enabled;
  };
  const Expect controls[] = {
      {view->SearchButton(), QRect(62, 425, 96, 20), "&Search", 1, true},
      {view->ClearButton(), QRect(163, 425, 96, 20), "&Clear", 101, true},
      {view->MoreInfoButton(), QRect(264, 425, 96, 20), "&More Info", 104, false},
      {view->PrevButton(), QRect(535, 165, 19, 23), "", 106, false},
      {view->NextButton(), QRect(561, 165, 19, 23), "", 107, false},
      {view->HelpButton(), QRect(365, 425, 96, 20), "Help", 102, true},
      {view->QuitButton(), QRect(466, 425, 96, 20), "&Quit", 103, true},
  };
  for (const Expect& e : controls) {
    auto* button = qobject_cast<QAbstractButton*>(e.control);
    ASSERT_NE(button, nullptr) << e.text;
    EXPECT_EQ(button->geometry(), e.rect) << e.text;
    EXPECT_EQ(button->text(), QString::fromLatin1(e.text));
    EXPECT_EQ(button->property("commandId").toInt(), e.id) << e.text;
    EXPECT_EQ(button->isEnabled(), e.enabled) << e.text;
  }
  EXPECT_TRUE(view->SearchButton()->isDefault());

  EXPECT_EQ(view->NameField(0)->geometry(), QRect(146, 147, 147, 24));
  EXPECT_EQ(view->NameField(1)->geometry(), QRect(321, 147, 154, 24));
  EXPECT_EQ(view->NameField(0)->property("controlId").toInt(), 108);
  EXPECT_EQ(view->NameField(1)->property("controlId").toInt(), 109);
  for (QLineEdit* edit : {view->NameField(0), view->NameField(1)}) {
    EXPECT_TRUE(edit->text().isEmpty());
    QTest::keyClicks(edit, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(edit->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRST")) << "at most 20 characters";
  }

  // The client area under the menu bar.
  EXPECT_EQ(view->geometry(), QRect(0, frame->MenuBar()->height(), 632, 453));
  EXPECT_EQ(view->SelectedRow(), -1);
  EXPECT_FALSE(view->IsBusy());
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
}

TEST_F(ViewLayoutTest, FocusStartsInTheSurnameAndTabWalksTheCreationOrder) {
  EXPECT_EQ(Focus(), view->NameField(0));

  // With the page buttons and More Info enabled, every control is on the walk.
  Search(QStringLiteral("Abbott"));
  QTest::keyClick(view->NextButton(), Qt::Key_Space);  // page 2: both page buttons enabled
  ClickRow(0);
  ASSERT_TRUE(view->PrevButton()->isEnabled() && view->NextButton()->isEnabled());
  ASSERT_TRUE(view->MoreInfoButton()->isEnabled());

  view->NameField(1)->setFocus();
  const QWidget* order[] = {view->SearchButton(), view->ClearButton(), view->MoreInfoButton(),
                            view->PrevButton(),   view->NextButton(),  view->HelpButton(),
                            view->QuitButton(),   view->NameField(0),  view->NameField(1)};
  for (const QWidget* expected : order) {
    QTest::keyClick(Focus(), Qt::Key_Tab);
    EXPECT_EQ(Focus(), expected) << expected->metaObject()->className();
  }
  QTest::keyClick(Focus(), Qt::Key_Backtab);
  EXPECT_EQ(Focus(), view->NameField(0));
  QTest::keyClick(Focus(), Qt::Key_Backtab);
  EXPECT_EQ(Focus(), view->QuitButton());

  // Disabled controls are passed over.
  view->OnClear();
  view->ClearButton()->setFocus();
  QTest::keyClick(Focus(), Qt::Key_Tab);
  EXPECT_EQ(Focus(), view->HelpButton());
}

TEST_F(ViewLayoutTest, TeardownDeletesControlsAndEngineAndMarksShutdown) {
  QPointer<QWidget> edit = view->NameField(0);
  QPointer<QWidget> quit = view->QuitButton();
  view->OnDestroy();
  EXPECT_TRUE(g_bShuttingDown);
  EXPECT_TRUE(edit.isNull());
  EXPECT_TRUE(quit.isNull());
  EXPECT_EQ(view->SearchButton(), nullptr);
  EXPECT_EQ(view->Database(), nullptr);
  EXPECT_EQ(view->Results(), nullptr);
  view->OnDestroy();  // a second teardown finds nothing left to do
  CloseWindow();
}

TEST_F(ViewLayoutTest, PageButtonsShowTheirFourFaces) {
  // The disabled face differs from the normal one; the view grabs what is on screen.
  const QImage dim = view->NextButton()->grab().toImage();
  view->NextButton()->setEnabled(true);
  const QImage up = view->NextButton()->grab().toImage();
  view->NextButton()->setFocus();
  const QImage focus = view->NextButton()->grab().toImage();
  EXPECT_EQ(up.size(), QSize(19, 23));
  EXPECT_NE(dim, up);
  EXPECT_NE(focus, up);
}

}  // namespace
