#include "ui/search_progress.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QProgressDialog>

#include "platform/qt/qt_dialogs.h"

namespace {

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    default:
      return false;
  }
}

}  // namespace

int& SearchProgress::ShowDelay() {
  static int delay = 100;
  return delay;
}

SearchProgress::SearchProgress(QWidget* window) : window_(window) {
  clock_.start();
  qApp->installEventFilter(this);
}

SearchProgress::~SearchProgress() {
  qApp->removeEventFilter(this);
  delete dialog_.data();
}

FindProgress SearchProgress::Callback() {
  return [this](int percent) { return Step(percent); };
}

bool SearchProgress::Step(int percent) {
  if (!stopped_ && !dialog_ && clock_.elapsed() >= ShowDelay()) {
    auto* dialog = new QProgressDialog(tr("Searching the roll..."), tr("Cancel"), 0, 100, window_);
    dialog->setWindowTitle(QString::fromLatin1(kAppTitle));
    dialog->setWindowModality(Qt::WindowModal);
    // Shown now, kept up until the search ends, whatever its value says.
    dialog->setMinimumDuration(0);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    ApplyDialogColors(dialog);
    connect(dialog, &QProgressDialog::canceled, this, [this] { stopped_ = true; });
    dialog_ = dialog;
    dialog->show();
  }
  if (dialog_) dialog_->setValue(std::clamp(percent, 0, 100));
  // Escape is seen here, or not at all until the search is over.
  QCoreApplication::processEvents();
  return !stopped_;
}

bool SearchProgress::InWindow(QObject* watched) const {
  // A menu item or a shortcut belongs to the window of the widget it hangs from.
  QObject* owner = watched;
  while (owner != nullptr && !owner->isWidgetType()) owner = owner->parent();
  return owner != nullptr && static_cast<QWidget*>(owner)->window() == window_;
}

bool SearchProgress::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::Close && watched == window_) {
    // The window goes; the search is not worth finishing.
    stopped_ = true;
    return false;
  }
  if (!IsInput(type)) return false;
  const bool inDialog = dialog_ && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == dialog_;
  if (type == QEvent::KeyPress && (inDialog || InWindow(watched)) &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    stopped_ = true;
    return true;
  }
  return InWindow(watched);
}
