#include "app/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QShortcut>

#include "app/view_doc.h"
#include "ui/hist_view.h"

QRect FirstActivationRect(int right, int bottom) {
  const int left = (right - kFrameWidth) / 2;
  const int top = (bottom - kFrameHeight) / 2;
  return QRect(left, top, kFrameWidth, kFrameHeight);
}

CMainFrame::CMainFrame(std::unique_ptr<CViewDoc> document, const DataLocation& location)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      document_(std::move(document)),
      location_(location) {
  // Created with an empty caption; start-up sets it once the window is up.
  setFixedSize(kClientWidth, kClientHeight);

  // No menu and no key of the view issues About; this shortcut is the one way to reach it.
  auto* about = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1), this);
  connect(about, &QShortcut::activated, this, &CMainFrame::aboutRequested);
}

CMainFrame::~CMainFrame() {
  // The view goes first (its teardown closes the help and the engine), then the document.
  delete view_;
  view_ = nullptr;
  document_.reset();
}

int CMainFrame::OnCreate() {
  auto* view = new CHistView(document_.get(), location_, this);
  if (view->OnCreate() == -1) {
    delete view;
    return -1;
  }
  view->setGeometry(0, 0, kClientWidth, kClientHeight);
  view_ = view;
  return 0;
}

void CMainFrame::ActivateFrame(int showCommand) {
  if (!firstActivation_) {
    if (showCommand == kSwShowMinimized) {
      showMinimized();
    } else {
      showNormal();
      raise();
      activateWindow();
    }
    return;
  }
  int right = kFrameWidth;
  int bottom = kFrameHeight;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    right = area.x() + area.width();
    bottom = area.y() + area.height();
  }
  firstActivation_ = false;
  normalRect_ = FirstActivationRect(right, bottom);
  move(normalRect_.topLeft());
  if (showCommand == kSwShowMinimized) {
    showMinimized();
  } else {
    showNormal();
  }
}

void CMainFrame::RaiseWithPopup() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  if (QWidget* popup = QApplication::activeModalWidget(); popup && popup != this) {
    popup->raise();
    popup->activateWindow();
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // Closing the frame ends the message loop; the view and the document are destroyed after it
  // returns, never from inside a command that is still running.
  event->accept();
  QCoreApplication::quit();
}
