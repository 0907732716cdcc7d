#include "viewer_fixture.h"

#include <QApplication>
#include <ostream>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/view_doc.h"

void PrintTo(const QRect& r, std::ostream* os) {
  *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
void PrintTo(const QSize& s, std::ostream* os) { *os << "QSize(" << s.width() << " x " << s.height() << ")"; }
void PrintTo(const QPoint& p, std::ostream* os) { *os << "QPoint(" << p.x() << ", " << p.y() << ")"; }
void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

void AddStandardEntries(TestRoll* roll) {
  static const char* const kGiven[] = {"AARON", "ADAM", "ALBERT", "BENJAMIN", "CALEB", "DANIEL",
                                       "EDWARD", "ELI", "FRANCIS", "GEORGE", "HENRY", "ISAAC",
                                       "JACOB", "JAMES", "JOHN", "JOHN A", "JOHN B", "JOHN C",
                                       "JOHNSON", "LEWIS", "MOSES", "PETER", "WILLIAM"};
  for (const char* given : kGiven) roll->Add("Abbott", given, SampleFields("B"));
  roll->Add("Baker", "", SampleFields("C"));
  roll->Add("Carter  ", "WILLIAM   ", SampleFields("D"));
  roll->Add("Dunn", "JOS\xC9", SampleFields("E"));
}

ViewerTest::ViewerTest() : boxes(kIdOk) {
  g_bFirstDraw = true;
  CViewDoc::BackdropResource() = QStringLiteral(":/IDB_BACKDROP.bmp");
}

ViewerTest::~ViewerTest() { CloseWindow(); }

void ViewerTest::OpenWindow(const char* familyDirectory) {
  roll.Build();
  if (familyDirectory != nullptr) roll.location.SetDirectories(familyDirectory, roll.dataDir.c_str());
  frame = std::make_unique<CMainFrame>(std::make_unique<CViewDoc>(), roll.location);
  ASSERT_EQ(frame->OnCreate(), 0);
  ASSERT_TRUE(frame->Document()->OnOpenDocument("IDB_BACKDROP"));
  view = frame->View();
  view->OnInitialUpdate();
  frame->ActivateFrame(kSwShowNormal);
  frame->setWindowTitle(QStringLiteral("Dravenholt"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  QApplication::setActiveWindow(frame.get());
  // A bare X server (Xvfb for screenshots) has no window manager to make the window active.
  const bool active = QTest::qWaitForWindowActive(frame.get());
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
    ASSERT_TRUE(active);
  }
  EXPECT_SOON(!g_bFirstDraw);
}

void ViewerTest::CloseWindow() {
  frame.reset();
  view = nullptr;
}

void TypeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClick(widget, static_cast<char>(c.unicode()));
    } else {
      // No key code for it: the key event carries the text alone, as an input method sends it.
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}

void ViewerTest::Search(const QString& surname, const QString& given) {
  view->NameField(0)->clear();
  view->NameField(1)->clear();
  TypeText(view->NameField(1), given);
  TypeText(view->NameField(0), surname);
  QTest::keyClick(view->NameField(0), Qt::Key_Return);
}

void ViewerTest::ClickAt(const QPoint& point) { QTest::mouseClick(view, Qt::LeftButton, {}, point); }

void ViewerTest::DoubleClickAt(const QPoint& point) {
  QTest::mouseDClick(frame->windowHandle(), Qt::LeftButton, {}, view->mapTo(frame.get(), point));
}

void ViewerTest::ClickRow(int row) { ClickAt(view->CellRect(row, 0).center()); }

QImage ViewerTest::Grab() const { return view->grab().toImage(); }

QWidget* ViewerTest::Focus() const { return frame->focusWidget(); }

QObject* OnNextModal(std::function<void(QWidget*)> action) {
  auto* poll = new QTimer;
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, [poll, action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    action(modal);
  });
  poll->start();
  return poll;
}
