// The Qt message box behind ShowMessageBox: caption, colours, answers and cursor.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "platform/message_box.h"
#include "platform/qt/qt_cursor.h"
#include "platform/qt/qt_dialogs.h"
#include "store/roll_status.h"
#include "viewer_fixture.h"

namespace {

class QtMessageBoxTest : public ::testing::Test {
 protected:
  QtMessageBoxTest() {
    SetDialogBkColor(QColor(192, 192, 192), QColor(0, 0, 0));
    InstallQtMessageBoxHandler();
  }
  ~QtMessageBoxTest() override { InstallMessageBoxHandler(nullptr); }

  // Shows a box with `style` and answers it with `answer` typed or clicked at it.
  int Show(unsigned style, std::function<void(QMessageBox*)> answer) {
    OnNextModal([answer](QWidget* modal) { answer(qobject_cast<QMessageBox*>(modal)); });
    return ShowMessageBox("Please insert Kinloom Disk 3(Dravenholt)\n\nClick OK when done.", style);
  }
};

TEST_F(QtMessageBoxTest, OkCancelBoxesAnswerCancelUnlessOkWasPressed) {
  auto press = [](QMessageBox::StandardButton which) {
    return [which](QMessageBox* box) { QTest::mouseClick(box->button(which), Qt::LeftButton); };
  };
  EXPECT_EQ(Show(kMbOkCancel | kMbIconExclamation, press(QMessageBox::Ok)), kIdOk);
  EXPECT_EQ(Show(kMbOkCancel | kMbIconExclamation, press(QMessageBox::Cancel)), kIdCancel);
  EXPECT_EQ(Show(kMbOkCancel, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }), kIdCancel);
  EXPECT_EQ(Show(kMbOkCancel, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }), kIdOk);
  // An OK-only box answers OK however it is closed.
  EXPECT_EQ(Show(kMbOk, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }), kIdOk);
}

TEST_F(QtMessageBoxTest, TheBoxIsCaptionedColouredAndHasTheArrowDuringABusyCommand) {
  QString title, text;
  QColor background, foreground;
  Qt::CursorShape boxCursor = Qt::BlankCursor;
  Qt::CursorShape behind = Qt::BlankCursor;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QWidget busy;
  busy.show();
  ShowWaitCursor(&busy);
  Show(kMbOkCancel | kMbIconExclamation, [&](QMessageBox* box) {
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    background = box->palette().color(QPalette::Window);
    foreground = box->palette().color(QPalette::WindowText);
    boxCursor = box->cursor().shape();
    behind = busy.cursor().shape();
    box->reject();
  });
  // The box has the arrow; the window whose command is still busy keeps the hourglass, and
  // nothing overrides either.
  EXPECT_EQ(boxCursor, Qt::ArrowCursor);
  EXPECT_EQ(behind, Qt::WaitCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  ShowArrowCursor(&busy);
  EXPECT_EQ(busy.cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(title, QStringLiteral("Dravenholt"));
  EXPECT_EQ(text, QStringLiteral("Please insert Kinloom Disk 3(Dravenholt)\n\nClick OK when done."));
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(background, QColor(192, 192, 192));
  EXPECT_EQ(foreground, QColor(0, 0, 0));
}

TEST_F(QtMessageBoxTest, AShortErrorBoxKeepsItsTextAndShowsItsCaptionAndAnIcon) {
  for (const char* text : {kLineFileMessage, kWrongFileFormat}) {
    QString shown;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int width = 0;
    int captionWidth = 0;
    OnNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      shown = box->text();
      icon = box->icon();
      width = box->width();
      QFont title = QApplication::font("QMdiSubWindowTitleBar");
      title.setBold(true);
      captionWidth = QFontMetrics(title).horizontalAdvance(box->windowTitle());
      box->accept();
    });
    EXPECT_EQ(ShowMessageBox(text, kMbOk), kIdOk);
    EXPECT_EQ(shown, QString::fromLatin1(text));
    EXPECT_EQ(icon, QMessageBox::Warning) << text;
    // The caption with room for the title bar's buttons (three of some 30 pixels, and margins).
    EXPECT_GE(width, captionWidth + 120) << text;
  }
}

}  // namespace
