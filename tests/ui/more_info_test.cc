// More Info: the dialog's caption, body and keys, and how the view stands afterwards.
#include <cstdio>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "store/data_location.h"
#include "ui/more_info_dialog.h"
#include "viewer_fixture.h"

namespace {

class MoreInfoTest : public ViewerTest {
 protected:
  void SetUp() override {
    AddStandardEntries(&roll);
    roll.Add("Fenn", "", std::vector<std::string>(10, ""));
    std::vector<std::string> wide = SampleFields("H");
    wide[5] = std::string(50, 'R') + " " + std::string(50, 'S');
    roll.Add("Gale", "ROBERT", wide);
    OpenWindow();
  }

  // Opens More Info on `row` of a search for `surname` and returns the caption and body it
  // showed; the dialog is closed with `closeKey` typed at it.
  struct Shown {
    QString caption;
    QString body;
    bool okHadFocus = false;
    bool wraps = true;
  };
  Shown Open(const QString& surname, int row) {
    Search(surname);
    ClickRow(row);
    Shown shown;
    OnNextModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<MoreInfoDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      shown.caption = dialog->windowTitle();
      shown.body = dialog->Body()->toPlainText();
      shown.okHadFocus = dialog->focusWidget() == dialog->OkButton();
      shown.wraps = dialog->Body()->lineWrapMode() != QPlainTextEdit::NoWrap;
      QTest::keyClick(dialog, Qt::Key_Return);
    });
    QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
    return shown;
  }
};

TEST_F(MoreInfoTest, CaptionIsTheRowsSurnameAndGivenNameTrimmed) {
  const Shown abbott = Open(QStringLiteral("Abbott"), 0);
  EXPECT_EQ(abbott.caption, QStringLiteral("ABBOTT, AARON"));
  EXPECT_TRUE(abbott.body.contains(QStringLiteral("Company: ")));
  EXPECT_TRUE(abbott.body.contains(QStringLiteral("Fought for: (U = Union, C = Confederate)")));
  EXPECT_FALSE(abbott.body.contains(QLatin1Char('\r')));
  EXPECT_TRUE(abbott.okHadFocus) << "Enter closes the dialog at once";
  EXPECT_FALSE(abbott.wraps);

  // Blanks at the end of the typed surname and of the name text are trimmed.
  EXPECT_EQ(Open(QStringLiteral("Carter  "), 0).caption, QStringLiteral("CARTER, WILLIAM"));
  // An empty name text: the summary takes the given name's place.
  EXPECT_EQ(Open(QStringLiteral("Baker"), 0).caption, QStringLiteral("BAKER, J, C, 5 IL INF, PVT, ..."));
  // Neither name text nor summary: the caption ends in the comma.
  ASSERT_STREQ(view->RowText(0), "BAKER\t\tJ, C, 5 IL INF, PVT, ...");
  const Shown fenn = Open(QStringLiteral("Fenn"), 0);
  EXPECT_STREQ(view->RowText(0), "FENN\t\t ");
  EXPECT_EQ(fenn.caption, QStringLiteral("FENN,"));
  // Windows-1252 text shows as its letters.
  EXPECT_EQ(Open(QStringLiteral("Dunn"), 0).caption, QStringLiteral("DUNN, JOS\u00C9"));
}

TEST_F(MoreInfoTest, TheBodyKeepsEnterAndScrollsSideways) {
  Search(QStringLiteral("Gale"));
  ClickRow(0);
  bool stillOpenAfterEnter = false;
  bool scrollsSideways = false;
  OnNextModal([&](QWidget* modal) {
    auto* dialog = static_cast<MoreInfoDialog*>(modal);
    QTest::mouseClick(dialog->Body()->viewport(), Qt::LeftButton);
    ASSERT_EQ(dialog->focusWidget(), dialog->Body());
    QTest::keyClick(dialog->Body(), Qt::Key_Return);
    stillOpenAfterEnter = dialog->isVisible();
    scrollsSideways = dialog->Body()->horizontalScrollBar()->maximum() > 0;
    QTest::keyClick(dialog->Body(), Qt::Key_Escape);
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_TRUE(stillOpenAfterEnter);
  EXPECT_TRUE(scrollsSideways);

  // The close box closes it too.
  bool closed = false;
  OnNextModal([&](QWidget* modal) { closed = modal->close(); });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_TRUE(closed);
}

TEST_F(MoreInfoTest, SelectionAndHighlightStayAndTheFocusComesBack) {
  Search(QStringLiteral("Abbott"));
  ClickRow(3);
  const QImage selected = Grab();
  view->MoreInfoButton()->setFocus();
  OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
  QTest::keyClick(view->MoreInfoButton(), Qt::Key_Space);
  EXPECT_EQ(view->SelectedRow(), 3);
  EXPECT_TRUE(view->MoreInfoButton()->isEnabled());
  EXPECT_SOON(Focus() == view->NameField(0));
  EXPECT_EQ(Grab().copy(rcResultList), selected.copy(rcResultList));
}

TEST_F(MoreInfoTest, DoubleClickOpensTheRowAndBelowTheLastRowOpensNothing) {
  Search(QStringLiteral("Abbott"));
  QString caption;
  OnNextModal([&](QWidget* modal) {
    caption = modal->windowTitle();
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  DoubleClickAt(view->CellRect(2, 2).center());
  EXPECT_EQ(caption, QStringLiteral("ABBOTT, ALBERT"));
  EXPECT_EQ(view->SelectedRow(), 2);

  Search(QStringLiteral("Baker"));
  ClickRow(0);
  // Below the last row: the press clears the selection and the double click finds none. (A
  // dialog opening here would block until the test times out.)
  DoubleClickAt(QPoint(100, view->RowRect(4).center().y()));
  EXPECT_EQ(view->SelectedRow(), -1);
  EXPECT_FALSE(view->MoreInfoButton()->isEnabled());
  EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(MoreInfoTest, ACancelledDiskPromptOpensNoDialog) {
  Search(QStringLiteral("Abbott"));
  ClickRow(0);
  std::remove((roll.dataDir + "mrdb.id").c_str());
  boxes.Answer({kIdCancel});
  QPointer<QObject> watcher = OnNextModal([](QWidget* modal) { modal->close(); });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kDiskPrompt});
  EXPECT_FALSE(watcher.isNull()) << "a dialog was shown";
  delete watcher.data();
  EXPECT_EQ(view->SelectedRow(), 0);
}

}  // namespace
