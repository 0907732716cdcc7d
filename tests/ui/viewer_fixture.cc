#include "viewer_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/view_doc.h"

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

void ViewerTest::OpenWindow() {
  roll.Build();
  frame = std::make_unique<CMainFrame>(std::make_unique<CViewDoc>(), roll.location);
  ASSERT_EQ(frame->OnCreate(), 0);
  ASSERT_TRUE(frame->Document()->OnOpenDocument("IDB_BACKDROP"));
  view = frame->View();
  view->OnInitialUpdate();
  frame->ActivateFrame(kSwShowNormal);
  frame->setWindowTitle(QStringLiteral("Dravenholt"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  QApplication::setActiveWindow(frame.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
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
  view->m_pEdit[0]->clear();
  view->m_pEdit[1]->clear();
  TypeText(view->m_pEdit[1], given);
  TypeText(view->m_pEdit[0], surname);
  QTest::keyClick(view->m_pEdit[0], Qt::Key_Return);
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
