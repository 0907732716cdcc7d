#include "platform/qt/qt_cursor.h"

#include <QApplication>
#include <QCursor>

namespace {
bool waitShown = false;
}  // namespace

void ShowWaitCursor() {
  if (waitShown) return;
  QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  waitShown = true;
}

void ShowArrowCursor() {
  if (!waitShown) return;
  QApplication::restoreOverrideCursor();
  waitShown = false;
}

bool WaitCursorShown() { return waitShown; }

ScopedArrowCursor::ScopedArrowCursor() { QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor)); }

ScopedArrowCursor::~ScopedArrowCursor() { QApplication::restoreOverrideCursor(); }
