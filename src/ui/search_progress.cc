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

SearchProgress::SearchProgress(QWidget* window) : m_window(window) {
  m_clock.start();
  qApp->installEventFilter(this);
}

SearchProgress::~SearchProgress() {
  qApp->removeEventFilter(this);
  delete m_dialog.data();
}

FindProgress SearchProgress::Callback() {
  return [this](int percent) { return Step(percent); };
}

bool SearchProgress::Step(int percent) {
  if (!m_stopped && !m_dialog && m_clock.elapsed() >= ShowDelay()) {
    auto* dialog = new QProgressDialog(tr("Searching the roll..."), tr("Cancel"), 0, 100, m_window);
    dialog->setWindowTitle(QString::fromLatin1(kAppTitle));
    dialog->setWindowModality(Qt::WindowModal);
    // Shown now, kept up until the search ends, whatever its value says.
    dialog->setMinimumDuration(0);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    ApplyDialogColors(dialog);
    connect(dialog, &QProgressDialog::canceled, this, [this] { m_stopped = true; });
    m_dialog = dialog;
    dialog->show();
  }
  if (m_dialog) m_dialog->setValue(std::clamp(percent, 0, 100));
  // Escape is seen here, or not at all until the search is over.
  QCoreApplication::processEvents();
  return !m_stopped;
}

bool SearchProgress::InWindow(QObject* watched) const {
  // A menu item or a shortcut belongs to the window of the widget it hangs from.
  QObject* owner = watched;
  while (owner != nullptr && !owner->isWidgetType()) owner = owner->parent();
  return owner != nullptr && static_cast<QWidget*>(owner)->window() == m_window;
}

bool SearchProgress::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::Close && watched == m_window) {
    // The window goes; the search is not worth finishing.
    m_stopped = true;
    return false;
  }
  if (!IsInput(type)) return false;
  const bool inDialog = m_dialog && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == m_dialog;
  if (type == QEvent::KeyPress && (inDialog || InWindow(watched)) &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    m_stopped = true;
    return true;
  }
  return InWindow(watched);
}

ViewDialogue::ViewDialogue(const DataLocation& location, QWidget* view)
    : MessageBoxDialogue(location), m_view(view) {}

ViewDialogue::~ViewDialogue() = default;

FindProgress ViewDialogue::SearchStarting() {
  m_progress = std::make_unique<SearchProgress>(m_view->window());
  return m_progress->Callback();
}

void ViewDialogue::SearchEnded() { m_progress.reset(); }
