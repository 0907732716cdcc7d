// The commands of the search screen, driven by real clicks and keys.
#include <cstdio>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
  ASSERT_EQ(boxes.texts(), std::vector<std::string>{"Please enter a surname."});
  EXPECT_EQ(Focus(), view->m_pEdit[0]);
  EXPECT_EQ(view->m_pResults->ResultCount(), 23);
  EXPECT_EQ(view->m_nSelRow, 1);
  EXPECT_TRUE(view->m_pMoreInfoBtn->isEnabled());
}

TEST_F(CommandsTest, TheSurnameIsReadToNineteenCharactersAndTheGivenNameOnlyWhenTyped) {
  // 20 characters typed (the field's limit); the search uses 19.
  Search(QStringLiteral("Abcdefghijklmnopqrst"));
  EXPECT_STREQ(view->m_pRequest->surname, "Abcdefghijklmnopqrs");  // the request keeps what was typed
  EXPECT_STREQ(view->m_pResults->DisplaySurname(), "ABCDEFGHIJKLMNOPQRS");
  EXPECT_EQ(view->m_pResults->ResultCount(), 1);

  Search(QStringLiteral("Abbott"), QStringLiteral("john"));
  EXPECT_EQ(view->m_pRequest->hasGivenName, 1);
  EXPECT_EQ(view->CountLine(), QStringLiteral("5 records found."));
  EXPECT_STREQ(view->m_szRowText[4], "ABBOTT\tJOHNSON\tJ, B, 5 IL INF, PVT, ...");

  // The given-name field emptied: a surname-only search.
  Search(QStringLiteral("Abbott"));
  EXPECT_EQ(view->m_pRequest->hasGivenName, 0);
  EXPECT_EQ(view->CountLine(), QStringLiteral("23 records found."));

  // Enter in the given-name field searches too.
  view->m_pEdit[1]->setFocus();
  QTest::keyClicks(view->m_pEdit[1], QStringLiteral("ELI"));
  QTest::keyClick(view->m_pEdit[1], Qt::Key_Enter);
  EXPECT_EQ(view->CountLine(), QStringLiteral("1 records found."));
}

TEST_F(CommandsTest, TextOutsideTheCodePageReachesTheEngineAsOneByteACharacter) {
  Search(QStringLiteral("Ab\u03A9bott"), QStringLiteral("J\u6C5Fohn"));
  EXPECT_STREQ(view->m_pRequest->surname, "Ab?bott");
  EXPECT_EQ(std::string(view->m_pRequest->givenName, 5), "J?OHN");
  EXPECT_EQ(view->m_pResults->ResultCount(), 0);
  EXPECT_TRUE(boxes.texts().empty());

  Search(QStringLiteral("Dunn"), QStringLiteral("jos\u00E9"));
  EXPECT_EQ(view->m_pResults->ResultCount(), 1);
}

TEST_F(CommandsTest, PagingToTheEndsHandsTheFocusToTheOtherPageButton) {
  Search(QStringLiteral("Abbott"));
  ClickRow(4);
  Click(view->m_pNextBtn);
  EXPECT_EQ(view->m_nSelRow, -1) << "paging clears the selection";
  EXPECT_STREQ(view->m_szRowText[0], "ABBOTT\tHENRY\tJ, B, 5 IL INF, PVT, ...");
  EXPECT_TRUE(view->m_pPrevBtn->isEnabled());
  EXPECT_TRUE(view->m_pNextBtn->isEnabled());

  Click(view->m_pNextBtn);
  EXPECT_EQ(view->m_pResults->RowCount(), 3);
  EXPECT_STREQ(view->m_szRowText[2], "ABBOTT\tWILLIAM\tJ, B, 5 IL INF, PVT, ...");
  EXPECT_FALSE(view->m_pNextBtn->isEnabled());
  EXPECT_EQ(Focus(), view->m_pPrevBtn);

  // Space on the focused button pages back; the mirror case at the first page.
  QTest::keyClick(view->m_pPrevBtn, Qt::Key_Space);
  EXPECT_TRUE(view->m_pPrevBtn->isEnabled());
  EXPECT_EQ(Focus(), view->m_pPrevBtn);
  QTest::keyClick(view->m_pPrevBtn, Qt::Key_Space);
  EXPECT_STREQ(view->m_szRowText[0], "ABBOTT\tAARON\tJ, B, 5 IL INF, PVT, ...");
  EXPECT_FALSE(view->m_pPrevBtn->isEnabled());
  EXPECT_EQ(Focus(), view->m_pNextBtn);
}

TEST_F(CommandsTest, ADiskTakenAwayBringsThePromptBackAndCancelChangesNothing) {
  Search(QStringLiteral("Abbott"));
  Click(view->m_pNextBtn);
  ClickRow(1);
  view->m_pNextBtn->setFocus();
  const std::string row0 = view->m_szRowText[0];

  RemoveDisk();
  boxes.Answer({kIdCancel});
  QTest::keyClick(view->m_pNextBtn, Qt::Key_Space);
  ASSERT_EQ(boxes.texts(), std::vector<std::string>{kDiskPrompt});
  EXPECT_EQ(view->m_szRowText[0], row0);
  EXPECT_EQ(view->m_nSelRow, 1);
  EXPECT_TRUE(view->m_pMoreInfoBtn->isEnabled());
  EXPECT_EQ(Focus(), view->m_pNextBtn);

  // OK after the disk is back goes on.
  boxes.OnShow([this](const ScriptedMessageBox::Box&) { InsertDisk(); });
  QTest::keyClick(view->m_pNextBtn, Qt::Key_Space);
  EXPECT_EQ(boxes.texts().size(), 2u);
  EXPECT_EQ(view->m_pResults->RowCount(), 3);

  // A search with the disk gone and the prompt cancelled ends with an empty result.
  boxes.OnShow(nullptr);
  RemoveDisk();
  boxes.Answer({kIdCancel});
  Search(QStringLiteral("Abbott"));
  EXPECT_EQ(boxes.texts().size(), 3u);
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
  EXPECT_EQ(view->m_nSelRow, -1);
}

TEST_F(CommandsTest, ClearEmptiesFieldsResultAndSelection) {
  const QImage empty = Grab();
  Search(QStringLiteral("Abbott"), QStringLiteral("j"));
  ClickRow(0);
  ASSERT_TRUE(view->m_pMoreInfoBtn->isEnabled());
  // A mnemonic presses its button the way a click does, after the button's short press.
  QTest::keyClick(view->m_pEdit[0], Qt::Key_C, Qt::AltModifier);
  EXPECT_SOON(view->m_nSelRow == -1);
  EXPECT_FALSE(view->m_pMoreInfoBtn->isEnabled());
  EXPECT_FALSE(view->m_pNextBtn->isEnabled());
  EXPECT_TRUE(view->m_pEdit[0]->text().isEmpty());
  EXPECT_TRUE(view->m_pEdit[1]->text().isEmpty());
  EXPECT_EQ(view->CountLine(), QStringLiteral("0 records found."));
  EXPECT_EQ(Focus(), view->m_pEdit[0]);
  const QImage cleared = Grab();
  EXPECT_EQ(cleared.copy(rcResultList), empty.copy(rcResultList));
  EXPECT_EQ(cleared.copy(rcCountLine), empty.copy(rcCountLine));
}

TEST_F(CommandsTest, TheHourglassShowsOnlyWhileASearchRuns) {
  RemoveDisk();
  Qt::CursorShape during = Qt::BlankCursor;
  bool busy = false;
  boxes.OnShow([&](const ScriptedMessageBox::Box&) {
    during = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::BlankCursor;
    busy = view->m_bBusy;
    InsertDisk();
  });
  Search(QStringLiteral("Abbott"));
  EXPECT_EQ(during, Qt::WaitCursor);
  EXPECT_TRUE(busy);
  EXPECT_FALSE(view->m_bBusy);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // The arrow, also over the name fields and the buttons.
  EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(view->m_pEdit[0]->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(view->m_pEdit[1]->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(view->m_pClearBtn->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(CommandsTest, MnemonicsPressTheirButtons) {
  QTest::keyClicks(view->m_pEdit[0], QStringLiteral("Abbott"));
  view->m_pEdit[1]->setFocus();
  QTest::keyClick(view->m_pEdit[1], Qt::Key_S, Qt::AltModifier);
  EXPECT_SOON(view->m_pResults->ResultCount() == 23);
  ClickRow(0);
  QString caption;
  OnNextModal([&](QWidget* modal) {
    caption = modal->windowTitle();
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  QTest::keyClick(view->m_pEdit[0], Qt::Key_M, Qt::AltModifier);
  EXPECT_SOON(caption == QStringLiteral("ABBOTT, AARON"));
  // Help has no mnemonic.
  QTest::keyClick(view->m_pEdit[0], Qt::Key_H, Qt::AltModifier);
  QTest::qWait(0);
  EXPECT_EQ(view->Help(), nullptr);

  // Quit's mnemonic closes the window. (The offscreen platform has no window manager to give
  // the activation back after the dialog; a desktop does.)
  QApplication::setActiveWindow(frame.get());
  QTest::keyClick(view->m_pEdit[0], Qt::Key_Q, Qt::AltModifier);
  EXPECT_SOON(!frame->isVisible());
}

TEST_F(CommandsTest, HelpOpensTheGuideAndClosesWithTheProgram) {
  Click(view->m_pHelpBtn);
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
  Click(view->m_pHelpBtn);
  EXPECT_EQ(view->Help(), help.data());
  EXPECT_TRUE(help->isVisible());

  // Quit closes the frame the way its close box does; the program's end takes the help along.
  QTimer::singleShot(0, view->m_pQuitBtn, [this] { Click(view->m_pQuitBtn); });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(1); });
  guard.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(frame->isVisible());
  CloseWindow();
  EXPECT_TRUE(help.isNull());
}

TEST_F(CommandsTest, TheFamilyHelpFileIsNamedWhenItIsThere) {
  std::fclose(std::fopen((roll.familyDir + "kinloom7m.hlp").c_str(), "w"));
  Click(view->m_pHelpBtn);
  ASSERT_NE(view->Help(), nullptr);
  EXPECT_TRUE(view->Help()->Text().contains(QStringLiteral("The family help file is at")));
}

TEST_F(CommandsTest, ClosingTheWindowDuringASearchLeavesNothingHalfDone) {
  RemoveDisk();
  boxes.OnShow([this](const ScriptedMessageBox::Box&) { frame->close(); });
  boxes.Answer({kIdCancel});
  Search(QStringLiteral("Abbott"));
  EXPECT_FALSE(frame->isVisible());
  EXPECT_FALSE(view->m_bBusy);
  EXPECT_EQ(view->m_pResults->ResultCount(), 0);
  CloseWindow();
}

}  // namespace
