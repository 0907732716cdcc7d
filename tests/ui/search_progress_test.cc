// A long search: its progress dialog, Escape stopping it with the result before left on screen,
// and no command running inside it. The roll is large enough for the unit filter to report its
// progress several times.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "find_fixture.h"
#include "ui/bitmap_button.h"
#include "ui/search_progress.h"

namespace {

constexpr int kLargeRoll = 120000;

class SearchProgressTest : public FindTest {
 protected:
  void SetUp() override {
    AddSpellings(&roll);
    const char* units[] = {"5 IL INF", "20 ME INF", "4 VA CAV", "9 OH INF"};
    for (int i = 0; i < kLargeRoll; ++i) {
      roll.Add("Name" + std::to_string(i % 997), "G" + std::to_string(i), EntryFields("A", units[i % 4], i % 3 ? "U" : "C"));
    }
    OpenWindow();
    // The state a stopped search must leave: the second page of ABBOTT, its second row selected.
    Search(QStringLiteral("Abbott"));
    QTest::mouseClick(view->NextButton(), Qt::LeftButton);
    ClickRow(1);
    view->NameField(0)->setText(QStringLiteral("*"));
    previousResult = Grab();
    // The next search is filtered (and so long), while the strip still describes ABBOTT: set
    // through the menu, the filter would find ABBOTT again at once.
    FindOptions cavalry = view->FindSettings();
    cavalry.filter.unit = "CAV";
    view->SetFindOptions(cavalry);
    status = frame->StatusText();
  }
  void TearDown() override { SearchProgress::ShowDelay() = 100; }
  // The offscreen platform has no window manager to give the activation back after a dialog
  // closes; a desktop does.
  void Reactivate() {
    QApplication::setActiveWindow(frame.get());
    ASSERT_SOON(Focus() == view->NameField(0));
  }

  void ExpectTheResultBefore() {
    EXPECT_EQ(view->CountLine(), QStringLiteral("23 records found."));
    EXPECT_EQ(view->PageIndex(), 1);
    EXPECT_EQ(view->SelectedRow(), 1);
    EXPECT_EQ(view->FieldText(1, 1), QStringLiteral("ISAAC"));
    EXPECT_TRUE(view->MoreInfoButton()->isEnabled());
    EXPECT_FALSE(view->Results()->IsFound());
    EXPECT_STREQ(view->Request()->surname, "Abbott");
    EXPECT_EQ(frame->StatusText(), status);
    EXPECT_EQ(Grab(), previousResult);
  }
  // Events that wait in the queue until the search lets them through.
  void Post(QWidget* to, int key) {
    QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
  }

  QImage previousResult;
  QString status;
};

TEST_F(SearchProgressTest, EscapeInTheWindowStopsTheSearchBeforeTheDialogShows) {
  SearchProgress::ShowDelay() = 1000 * 1000;
  Post(view->NameField(0), Qt::Key_Escape);
  QTest::keyClick(view->NameField(0), Qt::Key_Return);
  EXPECT_EQ(frame->findChild<QProgressDialog*>(), nullptr);
  ExpectTheResultBefore();
  EXPECT_FALSE(view->IsBusy());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Not stopped, the same search shows its result.
  QTest::keyClick(view->NameField(0), Qt::Key_Return);
  EXPECT_EQ(view->CountLine(), QStringLiteral("%1 records found.").arg(kLargeRoll / 4 + 3));
  EXPECT_EQ(view->SelectedRow(), -1);
  EXPECT_EQ(view->PageIndex(), 0);
  EXPECT_EQ(frame->StatusText(), QStringLiteral("Wildcards \u00B7 unit \"CAV\""));
}

TEST_F(SearchProgressTest, TheDialogShowsHowFarTheSearchHasComeAndEscapeThereStopsIt) {
  SearchProgress::ShowDelay() = 0;
  int shown = 0;
  QString label;
  auto* watch = new QTimer;
  watch->setInterval(0);
  QObject::connect(watch, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    ++shown;
    label = dialog->labelText();
    // The hourglass stays over the window; the dialog has the arrow.
    EXPECT_EQ(frame->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(dialog->cursor().shape(), Qt::ArrowCursor);
    QTest::keyClick(dialog, Qt::Key_Escape);
    watch->stop();
  });
  watch->start();
  QTest::keyClick(view->NameField(0), Qt::Key_Return);
  delete watch;
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(label, QStringLiteral("Searching the roll..."));
  EXPECT_EQ(frame->findChild<QProgressDialog*>(), nullptr) << "the dialog goes with the search";
  Reactivate();
  ExpectTheResultBefore();

  // Cancel in the dialog stops it too; a search left to end closes its dialog.
  OnNextModal([](QWidget* modal) {
    auto* dialog = qobject_cast<QProgressDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
  });
  QTest::keyClick(view->NameField(0), Qt::Key_Return);
  Reactivate();
  ExpectTheResultBefore();
  QTest::keyClick(view->NameField(0), Qt::Key_Return);
  EXPECT_EQ(view->CountLine(), QStringLiteral("%1 records found.").arg(kLargeRoll / 4 + 3));
  EXPECT_EQ(frame->findChild<QProgressDialog*>(), nullptr);
}

TEST_F(SearchProgressTest, KeysAndClicksMeantForTheWindowDuringASearchAreDropped) {
  SearchProgress::ShowDelay() = 1000 * 1000;
  // Clear clicked, another Enter, letters typed, More Info by its key: none of it may run inside
  // the search or after it.
  QCoreApplication::postEvent(view->ClearButton(), new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                                                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(view->ClearButton(), new QMouseEvent(QEvent::MouseButtonRelease, QPointF(5, 5),
                                                                    QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                                                                    Qt::NoModifier));
  Post(view->NameField(0), Qt::Key_Return);
  Post(view->NameField(0), Qt::Key_X);
  Post(view->NameField(0), Qt::Key_M);
  QTest::keyClick(view->NameField(0), Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(view->NameField(0)->text(), QStringLiteral("*"));
  EXPECT_EQ(view->CountLine(), QStringLiteral("%1 records found.").arg(kLargeRoll / 4 + 3));
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
}

TEST_F(SearchProgressTest, ClosingTheWindowStopsTheSearch) {
  SearchProgress::ShowDelay() = 1000 * 1000;
  QTimer::singleShot(0, frame.get(), &QWidget::close);
  QTest::keyClick(view->NameField(0), Qt::Key_Return);
  EXPECT_FALSE(frame->isVisible());
  EXPECT_FALSE(view->IsBusy());
  EXPECT_EQ(view->CountLine(), QStringLiteral("23 records found."));
  CloseWindow();
}

}  // namespace
