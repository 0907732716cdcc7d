// viewer_probe: the viewer as it starts for a user, with a watch on its first paint, for the
// whole-process figures. It runs the real start-up (CViewApp) and then, depending on the mode:
//
//   viewer_probe startup            quit as soon as the search screen has been painted once
//   viewer_probe idle               the same, after the event queue has run dry
//   viewer_probe page SURNAME       search SURNAME with the real controls, press next page until
//                                   it is disabled, then quit
//
// It prints the time from main() to the first paint and the peak resident memory (VmHWM).
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "app/view_app.h"
#include "platform/qt/qt_dialogs.h"
#include "ui/bitmap_button.h"
#include "ui/view_view.h"

namespace {

std::string PeakMemory() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return line.substr(6);
  }
  return "?";
}

class FirstPaint : public QObject {
 public:
  FirstPaint(QElapsedTimer& clock, std::function<void(CViewView*)> then) : clock_(clock), then_(std::move(then)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint) {
      if (auto* view = qobject_cast<CViewView*>(watched)) {
        seen_ = true;
        std::printf("first paint after %.1f ms\n", static_cast<double>(clock_.nsecsElapsed()) / 1e6);
        // After the paint has finished: the handler runs from the event loop.
        QTimer::singleShot(0, view, [this, view] { then_(view); });
      }
    }
    return false;
  }

 private:
  QElapsedTimer& clock_;
  std::function<void(CViewView*)> then_;
  bool seen_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer clock;
  clock.start();
  const std::string mode = argc > 1 ? argv[1] : "startup";
  const std::string surname = argc > 2 ? argv[2] : "";
  if (mode != "startup" && mode != "idle" && !(mode == "page" && !surname.empty())) {
    std::fprintf(stderr, "usage: viewer_probe startup | idle | page SURNAME\n");
    return 2;
  }
  int exitCode = 0;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
  CViewApp app;
  FirstPaint watch(clock, [&](CViewView* view) {
    if (mode == "idle") QApplication::processEvents();
    if (mode == "page") {
      view->m_pEdit[0]->setText(QString::fromLatin1(surname.c_str()));
      view->m_pSearchBtn->click();
      QApplication::processEvents();
      int pages = 1;
      while (view->m_pNextBtn->isEnabled() && pages < 100000) {
        view->m_pNextBtn->click();
        QApplication::processEvents();
        ++pages;
      }
      std::printf("%s: %d pages, %d rows on the last\n", surname.c_str(), pages, view->m_pResults->RowCount());
      if (pages < 2) exitCode = 1;
    }
    std::printf("peak memory %s\n", PeakMemory().c_str());
    std::fflush(stdout);
    QApplication::closeAllWindows();
  });
  application.installEventFilter(&watch);
  if (app.InitInstance()) {
    app.Run();
  } else {
    std::fprintf(stderr, "viewer_probe: the viewer did not start\n");
    exitCode = 1;
  }
  app.ExitInstance();
  return exitCode;
}
