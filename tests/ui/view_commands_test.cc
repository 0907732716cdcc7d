// The commands of the search screen, driven by real clicks and keys.
#include <cstdio>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/qt/qt_dialogs.h"
#include "store/data_location.h"
#include "ui/bitmap_button.h"
#include "ui/help_window.h"
#include "viewer_fixture.h"

namespace {

class CommandsTest : public ViewerTest {
 protected:
  void SetUp() override {
    AddStandardEntries(&roll);
    roll.Add("Abcdefghijklmnopqrs", "NINETEEN", SampleFields("G"));
    OpenWindow();
  }
  std::string Marker() const { return roll.dataDir + "mrdb.id"; }
  void RemoveDisk() { std::remove(Marker().c_str()); }
  void InsertDisk() { std::fclose(std::fopen(Marker().c_str(), "w")); }
  void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(CommandsTest, AnEmptySurnameIsRefusedAndNothingElseChanges) {
  Search(QStringLiteral("Abbott"));
  ClickRow(1);
  // A given name alone is not searched.
  Search(QString(), QStringLiteral("John"));
  ASSERT_EQ(boxes.Texts(), std::vector<std::string>{"Please enter a surname."});
  EXPECT_EQ(Focus(), view->NameField(0));
  EXPECT_EQ(view->Results()->ResultCount(), 23);
  EXPECT_EQ(view->SelectedRow(), 1);
  EXPECT_TRUE(view->MoreInfoButton()->isEnabled());
}

TEST_F(CommandsTest, TheSurnameIsReadToNineteenCharactersAndTheGivenNameOnlyWhenTyped) {
  // 20 characters typed (the field's limit); the search uses 19.
  Search(QStringLiteral("Abcdefghijklmnopqrst"));
  EXPECT_STREQ(view->Request()->surname, "Abcdefghijklmnopqrs");  // the request keeps what was typed
  EXPECT_STREQ(view->Results()->DisplaySurname(), "ABCDEFGHIJKLMNOPQRS");
  EXPECT_EQ(view->Results()->ResultCount(), 1);

  Search(QStringLiteral("Abbott"), QStringLiteral("john"));
  EXPECT_EQ(view->Request()->hasGivenName, 1);
  EXPECT_EQ(view->CountLine(), QStringLiteral("5 records found."));
  EXPECT_STREQ(view->RowText(4), "ABBOTT\tJOHNSON\tJ, B, 5 IL INF, PVT, ...");

  // The given-name field emptied: a surname-only search.
  Search(QStringLiteral("Abbott"));
  EXPECT_EQ(view->Request()->hasGivenName, 0);
  EXPECT_EQ(view->CountLine(), QStringLiteral("23 records found."));

  // Enter in the given-name field searches too.
  view->NameField(1)->setFocus();
  QTest::keyClicks(view->NameField(1), QStringLiteral("ELI"));
  QTest::keyClick(view->NameField(1), Qt::Key_Enter);
  EXPECT_EQ(view->CountLine(), QStringLiteral("1 records found."));
}

TEST_F(CommandsTest, BlanksAroundTypedNamesAreLeftOff) {
  Search(QStringLiteral("  Abbott "), QStringLiteral(" john\t"));
  EXPECT_STREQ(view->Request()->surname, "Abbott");
  EXPECT_EQ(view->CountLine(), QStringLiteral("5 records found."));
  // The fields keep what was typed.
  EXPECT_EQ(view->NameField(0)->text(), QStringLiteral("  Abbott "));

  // Blanks inside a name stay: the key rule decides what they mean.
  Search(QStringLiteral(" Carter  "), QStringLiteral("   "));
  EXPECT_EQ(view->Request()->hasGivenName, 0);
  EXPECT_EQ(view->CountLine(), QStringLiteral("1 records found."));

  // A surname of blanks alone is no surname.
  Search(QStringLiteral("    "));
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please enter a surname."});
  EXPECT_EQ(view->CountLine(), QStringLiteral("1 records found."));

  // Leading blanks do not use up the 19 characters that are read.
  Search(QStringLiteral(" Abcdefghijklmnopqrs"));
  EXPECT_EQ(view->Results()->ResultCount(), 1);
}

TEST_F(CommandsTest, TextOutsideTheCodePageReachesTheEngineAsOneByteACharacter) {
  Search(QStringLiteral("Ab\u03A9bott"), QStringLiteral("J\u6C5Fohn"));
  EXPECT_STREQ(view->Request()->surname, "Ab?bott");
  EXPECT_EQ(std::string(view->Request()->givenName, 5), "J?OHN");
  EXPECT_EQ(view->Results()->ResultCount(), 0);
  EXPECT_TRUE(boxes.Texts().empty());

  Search(QStringLiteral("Dunn"), QStringLiteral("jos\u00E9"));
  EXPECT_EQ(view->Results()->ResultCount(), 1);
}

TEST_F(CommandsTest, PagingToTheEndsHandsTheFocusToTheOtherPageButton) {
  Search(QStringLiteral("Abbott"));
  ClickRow(4);
  Click(view->NextButton());
  EXPECT_EQ(view->SelectedRow(), -1) << "paging clears the selection";
  EXPECT_STREQ(view->RowText(0), "ABBOTT\tHENRY\tJ, B, 5 IL INF, PVT, ...");
  EXPECT_TRUE(view->PrevButton()->isEnabled());
  EXPECT_TRUE(view->NextButton()->isEnabled());

  Click(view->NextButton());
  EXPECT_EQ(view->Results()->RowCount(), 3);
  EXPECT_STREQ(view->RowText(2), "ABBOTT\tWILLIAM\tJ, B, 5 IL INF, PVT, ...");
  EXPECT_FALSE(view->NextButton()->isEnabled());
  EXPECT_EQ(Focus(), view->PrevButton());

  // Space on the focused button pages back; the mirror case at the first page.
  QTest::keyClick(view->PrevButton(), Qt::Key_Space);
  EXPECT_TRUE(view->PrevButton()->isEnabled());
  EXPECT_EQ(Focus(), view->PrevButton());
  QTest::keyClick(view->PrevButton(), Qt::Key_Space);
  EXPECT_STREQ(view->RowText(0), "ABBOTT\tAARON\tJ, B, 5 IL INF, PVT, ...");
  EXPECT_FALSE(view->PrevButton()->isEnabled());
  EXPECT_EQ(Focus(), view->NextButton());
}

TEST_F(CommandsTest, ADiskTakenAwayBringsThePromptBackAndCancelChangesNothing) {
  Search(QStringLiteral("Abbott"));
  Click(view->NextButton());
  ClickRow(1);
  view->NextButton()->setFocus();
  const std::string row0 = view->RowText(0);

  RemoveDisk();
  boxes.Answer({kIdCancel});
  QTest::keyClick(view->NextButton(), Qt::Key_Space);
  ASSERT_EQ(boxes.Texts(), std::vector<std::string>{kDiskPrompt});
  EXPECT_EQ(view->RowText(0), row0);
  EXPECT_EQ(view->SelectedRow(), 1);
  EXPECT_TRUE(view->MoreInfoButton()->isEnabled());
  EXPECT_EQ(Focus(), view->NextButton());

  // OK after the disk is back goes on.
  boxes.OnShow([this](const ScriptedMessageBox::Box&) { InsertDisk(); });
  QTest::keyClick(view->NextButton(), Qt::Key_Space);
  EXPECT_EQ(boxes.Texts().size(), 2u);
  EXPECT_EQ(view->Results()->RowCount(), 3);

  // A search with the disk gone and the prompt cancelled ends with an empty result.
  boxes.OnShow(nullptr);
  RemoveDisk();
  boxes.Answer({kIdCancel});
  Search(QStringLiteral("Abbott"));
  EXPECT_EQ(boxes.Texts().size(), 3u);
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
  EXPECT_EQ(view->SelectedRow(), -1);
}

TEST_F(CommandsTest, ClearEmptiesFieldsResultAndSelection) {
  const QImage empty = Grab();
  Search(QStringLiteral("Abbott"), QStringLiteral("j"));
  ClickRow(0);
  ASSERT_TRUE(view->MoreInfoButton()->isEnabled());
  // A mnemonic presses its button the way a click does, after the button's short press.
  QTest::keyClick(view->NameField(0), Qt::Key_C, Qt::AltModifier);
  EXPECT_SOON(view->SelectedRow() == -1);
  EXPECT_FALSE(view->MoreInfoButton()->isEnabled());
  EXPECT_FALSE(view->NextButton()->isEnabled());
  EXPECT_TRUE(view->NameField(0)->text().isEmpty());
  EXPECT_TRUE(view->NameField(1)->text().isEmpty());
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
  EXPECT_EQ(Focus(), view->NameField(0));
  const QImage cleared = Grab();
  EXPECT_EQ(cleared.copy(rcResultList), empty.copy(rcResultList));
  EXPECT_EQ(cleared.copy(rcCountLine), empty.copy(rcCountLine));
}

TEST_F(CommandsTest, WhatIsTypedRightAfterAltCIsKept) {
  Search(QStringLiteral("Abbott"), QStringLiteral("j"));
  QTest::keyClick(view->NameField(0), Qt::Key_C, Qt::AltModifier);
  QTest::keyClicks(Focus(), QStringLiteral("ABC"));
  // A press still pending would come when the button comes up again.
  EXPECT_SOON(!view->ClearButton()->isDown());
  QTest::qWait(0);
  EXPECT_EQ(view->NameField(0)->text(), QStringLiteral("ABC"));
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
}

TEST_F(CommandsTest, TheHourglassStaysOverTheWindowThroughTheDiskPromptOfASearch) {
  // The real box this time: it is a window of its own with the arrow, while the search that
  // showed it keeps the hourglass over the window behind it, fields and menu bar included.
  RemoveDisk();
  MessageBoxHandler scripted = InstallMessageBoxHandler(nullptr);
  InstallQtMessageBoxHandler();
  struct {
    Qt::CursorShape window = Qt::BlankCursor, field = Qt::BlankCursor, menu = Qt::BlankCursor, box = Qt::BlankCursor;
    bool busy = false;
  } during;
  OnNextModal([&](QWidget* modal) {
    during = {frame->cursor().shape(), view->NameField(0)->cursor().shape(), frame->MenuBar()->cursor().shape(),
              modal->cursor().shape(), view->IsBusy()};
    InsertDisk();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  Search(QStringLiteral("Abbott"));
  InstallMessageBoxHandler(std::move(scripted));
  EXPECT_EQ(during.window, Qt::WaitCursor);
  EXPECT_EQ(during.field, Qt::WaitCursor);
  EXPECT_EQ(during.menu, Qt::WaitCursor);
  EXPECT_EQ(during.box, Qt::ArrowCursor);
  EXPECT_TRUE(during.busy);
  EXPECT_EQ(view->Results()->ResultCount(), 23);

  // After it, the arrow everywhere, also over the name fields and the buttons (no text cursor).
  EXPECT_FALSE(view->IsBusy());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  for (QWidget* w : std::initializer_list<QWidget*>{frame.get(), view, view->NameField(0), view->NameField(1),
                                                    view->ClearButton()}) {
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor) << w->metaObject()->className();
  }
}

TEST_F(CommandsTest, MnemonicsPressTheirButtons) {
  QTest::keyClicks(view->NameField(0), QStringLiteral("Abbott"));
  view->NameField(1)->setFocus();
  QTest::keyClick(view->NameField(1), Qt::Key_S, Qt::AltModifier);
  EXPECT_SOON(view->Results()->ResultCount() == 23);
  ClickRow(0);
  QString caption;
  OnNextModal([&](QWidget* modal) {
    caption = modal->windowTitle();
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  QTest::keyClick(view->NameField(0), Qt::Key_M, Qt::AltModifier);
  EXPECT_SOON(caption == QStringLiteral("ABBOTT, AARON"));
  // Help has no mnemonic.
  QTest::keyClick(view->NameField(0), Qt::Key_H, Qt::AltModifier);
  QTest::qWait(0);
  EXPECT_EQ(view->Help(), nullptr);

  // Quit's mnemonic closes the window. (The offscreen platform has no window manager to give
  // the activation back after the dialog; a desktop does.)
  QApplication::setActiveWindow(frame.get());
  QTest::keyClick(view->NameField(0), Qt::Key_Q, Qt::AltModifier);
  EXPECT_SOON(!frame->isVisible());
}

TEST_F(CommandsTest, HelpOpensTheGuideAndClosesWithTheProgram) {
  Click(view->HelpButton());
  QPointer<HelpWindow> help = view->Help();
  ASSERT_FALSE(help.isNull());
  EXPECT_TRUE(help->isVisible());
  const QString path = QString::fromStdString(roll.familyDir) + QStringLiteral("kinloom7m.hlp");
  EXPECT_EQ(view->HelpFilePath(), path);
  EXPECT_TRUE(help->Text().contains(path));
  EXPECT_TRUE(help->Text().contains(QStringLiteral("is not there")));
  EXPECT_TRUE(help->Text().contains(QStringLiteral("brevik.ini")));
  EXPECT_TRUE(help->Text().contains(QStringLiteral("/usr/share/dravenholt/sample/")));

  // Help again brings the same window back.
  help->hide();
  Click(view->HelpButton());
  EXPECT_EQ(view->Help(), help.data());
  EXPECT_TRUE(help->isVisible());

  // Quit closes the frame the way its close box does; the program's end takes the help along.
  QTimer::singleShot(0, view->QuitButton(), [this] { Click(view->QuitButton()); });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(1); });
  guard.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(frame->isVisible());
  CloseWindow();
  EXPECT_TRUE(help.isNull());
}

TEST_F(CommandsTest, HelpNamesEveryMenuCommandAndTheKeyItShows) {
  Click(view->HelpButton());
  ASSERT_NE(view->Help(), nullptr);
  // The guide writes Ctrl+- with a true minus sign.
  const QString help = view->Help()->Text().replace(QChar(0x2212), QLatin1Char('-'));
  QStringList missing;
  for (const QAction* title : frame->MenuBar()->actions()) {
    if (title->menu() == nullptr) continue;
    for (const QAction* item : title->menu()->actions()) {
      if (item->isSeparator()) continue;
      QString name = item->text().remove(QLatin1Char('&'));
      if (name.endsWith(QStringLiteral("..."))) name.chop(3);
      if (!help.contains(name)) missing << name;
      const QString key = item->shortcut().toString(QKeySequence::PortableText);
      if (!key.isEmpty() && !help.contains(key)) missing << name + QStringLiteral(": ") + key;
    }
  }
  EXPECT_EQ(missing, QStringList());
}

TEST_F(CommandsTest, TheFamilyHelpFileIsNamedWhenItIsThere) {
  std::fclose(std::fopen((roll.familyDir + "kinloom7m.hlp").c_str(), "w"));
  Click(view->HelpButton());
  ASSERT_NE(view->Help(), nullptr);
  EXPECT_TRUE(view->Help()->Text().contains(QStringLiteral("The family help file is at")));
}

TEST_F(CommandsTest, HelpClosesWithEscapeAndOpensWithTheGuideNotAPath) {
  Click(view->HelpButton());
  QPointer<HelpWindow> help = view->Help();
  ASSERT_FALSE(help.isNull());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
  // The guide starts with what the program does; where the files are comes later.
  const QString text = help->Text();
  EXPECT_TRUE(text.startsWith(QStringLiteral("Dravenholt\nDravenholt finds soldiers"))) << text.left(80).toStdString();
  EXPECT_GT(text.indexOf(QStringLiteral("kinloom7m.hlp")), text.indexOf(QStringLiteral("Where the data is looked for")));

  QTest::keyClick(help->focusWidget() ? help->focusWidget() : help.data(), Qt::Key_Escape);
  EXPECT_FALSE(help->isVisible());
  Click(view->HelpButton());
  EXPECT_TRUE(help->isVisible());
}

class UnconfiguredHelpTest : public CommandsTest {
 protected:
  void SetUp() override {
    AddStandardEntries(&roll);
    OpenWindow("");
  }
};

TEST_F(UnconfiguredHelpTest, WithNoFamilyDirectoryTheHelpShowsNoPath) {
  // An empty KinloomDir is read as the bare separator; that is no place the user named.
  Click(view->HelpButton());
  ASSERT_NE(view->Help(), nullptr);
  const QString text = view->Help()->Text();
  EXPECT_TRUE(text.contains(QStringLiteral("No family directory is set (KinloomDir in brevik.ini)")));
  EXPECT_FALSE(text.contains(QStringLiteral("/kinloom7m.hlp")));
}

TEST_F(CommandsTest, ClosingTheWindowDuringASearchLeavesNothingHalfDone) {
  RemoveDisk();
  boxes.OnShow([this](const ScriptedMessageBox::Box&) { frame->close(); });
  boxes.Answer({kIdCancel});
  Search(QStringLiteral("Abbott"));
  EXPECT_FALSE(frame->isVisible());
  EXPECT_FALSE(view->IsBusy());
  EXPECT_EQ(view->Results()->ResultCount(), 0);
  CloseWindow();
}

}  // namespace
