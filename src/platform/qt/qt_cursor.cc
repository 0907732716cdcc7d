#include "platform/qt/qt_cursor.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

void ShowWaitCursor(QWidget* window) {
  if (window != nullptr) window->setCursor(Qt::WaitCursor);
}

void ShowArrowCursor(QWidget* window) {
  if (window != nullptr) window->unsetCursor();
}

ScopedWaitCursor::ScopedWaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

ScopedWaitCursor::~ScopedWaitCursor() { QApplication::restoreOverrideCursor(); }
