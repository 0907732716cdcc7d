// The progress of a search that takes a while, and the way to stop it.
//
// For as long as the object lives, the search's progress callback (Callback) lets the program see
// its events now and then: once the search has run for ShowDelay() milliseconds a small modal
// dialog over the window shows how far it has come, and Escape (in the window or in the dialog),
// the dialog's Cancel button or closing the window stops it. Every other key and click meant for
// the window is dropped meanwhile: no command can start while the search is still running. Other
// windows (a disk prompt, the dialog itself) get their input as usual.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <memory>

#include "store/search_answer.h"
#include "ui/screen_dialogue.h"

class QProgressDialog;
class QWidget;

class SearchProgress : public QObject {
  Q_OBJECT

 public:
  // `window` is the top-level window the search runs in.
  explicit SearchProgress(QWidget* window);
  ~SearchProgress() override;
  SearchProgress(const SearchProgress&) = delete;
  SearchProgress& operator=(const SearchProgress&) = delete;

  // The callback for the search: it shows `percent`, lets pending events through and answers
  // false once the search is to stop.
  FindProgress Callback();
  bool Stopped() const { return m_stopped; }

  // How long a search runs before the dialog shows (100 ms; tests may make it 0).
  static int& ShowDelay();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Step(int percent);
  // Whether `watched` belongs to the search's window (and not to another one, such as the dialog).
  bool InWindow(QObject* watched) const;

  QWidget* m_window;
  QElapsedTimer m_clock;
  QPointer<QProgressDialog> m_dialog;
  bool m_stopped = false;
};

// The viewer's dialogue: the platform's message boxes (the Qt ones the application installs) and,
// for a search that may take a while, a SearchProgress over the window of `view`.
class ViewDialogue : public MessageBoxDialogue {
 public:
  ViewDialogue(const DataLocation& location, QWidget* view);
  ~ViewDialogue() override;

  FindProgress SearchStarting() override;
  void SearchEnded() override;

 private:
  QWidget* m_view;
  std::unique_ptr<SearchProgress> m_progress;
};
