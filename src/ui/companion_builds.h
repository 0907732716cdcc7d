// The roll's companion index (store/companion_cache.h), built in the background once the viewer
// has opened a roll: after a search or roster has opened a file set (a new generation of the
// view's database) whose companion is not in the user's cache, a thread of its own builds it
// (store/companion_upkeep.h, on the roll's files opened afresh: the database is never shared),
// while the screen stays usable and searches answer as they did. When the build ends, between
// searches, the database is told to look for the companion again.
//
// One build at a time. A roll whose companion is sound is not rebuilt; one whose build failed is
// not tried again while the viewer runs (the failure is told once). Turned off, nothing is built
// and the database uses no companion. Destroying the object stops a build and waits for its
// thread; a build stopped halfway leaves nothing in the cache.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "ui/search_screen.h"

class CViewView;
struct UpkeepResult;

class CompanionBuilds : public QObject, private ScreenListener {
  Q_OBJECT

 public:
  // Listens to `view`'s screen, which must outlive the object; `enabled` as SetEnabled.
  CompanionBuilds(CViewView* view, bool enabled, QObject* parent = nullptr);
  ~CompanionBuilds() override;

  // On: the roll's companion is built when it is missing and used when it is there. Off: a build
  // is stopped, none is started, and the database uses none.
  void SetEnabled(bool on);
  bool Enabled() const { return m_bEnabled; }
  // Whether a build (or the check before it) is under way.
  bool Building() const { return m_thread.joinable(); }
  // Stops a build and waits for its thread; nothing is told of it.
  void Stop();

  // For tests: called on the build's thread at every step of a build, once the step was told and
  // before the build goes on;
  // `stop` is set when the build is being stopped. Set before the build starts.
  using StepHook = std::function<void(int percent, const std::atomic<bool>& stop)>;
  static void SetStepHook(StepHook hook);

  // What the status strip says.
  static QString ProgressText(int percent);
  static QString ReadyText();
  static QString FailedText(const QString& problem);

 signals:
  // A build has come to `percent`.
  void progressChanged(int percent);
  // A build has put the roll's companion in the cache (the database will use it).
  void companionChanged();
  // A build failed; `problem` says why. Told once for each roll.
  void problemChanged(const QString& problem);
  // A build, or the look that found the companion sound or the roll passed over, has ended (not
  // told for one that was stopped).
  void buildStateChanged();

 private:
  void BusyChanged(bool busy) override;
  void ResultsChanged() override;
  // Looks, once the command on its way has returned, whether a build is due.
  void LookSoon();
  void Look();
  void Start(const std::string& dataDirectory, int number);
  void Finish(std::uint64_t job, const UpkeepResult& result);
  // Points the database at the cache (or at none when turned off), between searches.
  void PointDatabase();

  QPointer<CViewView> m_view;
  bool m_bEnabled;
  bool m_bPointPending = false;    // the database is to look again once no search runs
  std::uint64_t m_nLookedAt = 0;   // the database generation last looked at
  std::uint64_t m_nJob = 0;        // counts the builds started: a stopped one's end is ignored
  std::set<std::string> m_failed;  // the companion file names whose build failed
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
};
