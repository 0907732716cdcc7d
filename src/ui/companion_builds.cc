#include "ui/companion_builds.h"

#include <QMetaObject>
#include <QTimer>

#include "store/companion_cache.h"
#include "store/companion_upkeep.h"
#include "ui/view_view.h"

namespace {

CompanionBuilds::StepHook& Hook() {
  static CompanionBuilds::StepHook hook;
  return hook;
}

}  // namespace

CompanionBuilds::CompanionBuilds(CViewView* view, bool enabled, QObject* parent)
    : QObject(parent), m_view(view), m_bEnabled(enabled) {
  view->Screen().AddListener(this);
  if (!m_bEnabled) PointDatabase();
}

CompanionBuilds::~CompanionBuilds() { Stop(); }

void CompanionBuilds::SetStepHook(StepHook hook) { Hook() = std::move(hook); }

QString CompanionBuilds::ProgressText(int percent) {
  return tr("Building the roll's companion index\u2026 %1%").arg(percent);
}

QString CompanionBuilds::ReadyText() { return tr("Companion index ready"); }

QString CompanionBuilds::FailedText(const QString& problem) {
  return tr("No companion index: %1").arg(problem);
}

void CompanionBuilds::SetEnabled(bool on) {
  if (on == m_bEnabled) return;
  m_bEnabled = on;
  if (!on) Stop();
  PointDatabase();
  if (on) {
    // The roll open now is looked at afresh.
    m_nLookedAt = 0;
    LookSoon();
  }
}

void CompanionBuilds::Stop() {
  if (!m_thread.joinable()) return;
  m_stop = true;
  m_thread.join();
}

void CompanionBuilds::BusyChanged(bool busy) {
  if (!busy) LookSoon();
}

void CompanionBuilds::ResultsChanged() { LookSoon(); }

void CompanionBuilds::LookSoon() {
  // Posted: the database is not touched from inside the command that is telling.
  QTimer::singleShot(0, this, [this] {
    if (m_bPointPending) PointDatabase();
    Look();
  });
}

void CompanionBuilds::Look() {
  if (!m_bEnabled || Building() || m_view.isNull() || m_view->Screen().IsBusy()) return;
  RollDatabase* database = m_view->Screen().Database();
  if (database == nullptr || g_bShuttingDown || !database->IsOpen()) return;
  if (database->Generation() == m_nLookedAt) return;
  m_nLookedAt = database->Generation();
  Start(database->Location().dataDirectory, database->Number());
}

void CompanionBuilds::Start(const std::string& dataDirectory, int number) {
  m_stop = false;
  const std::uint64_t job = ++m_nJob;
  const std::set<std::string> failed = m_failed;
  const StepHook hook = Hook();
  m_thread = std::thread([this, job, failed, hook, dataDirectory, number] {
    int told = -1;
    const CompanionProgress progress = [&](int percent) {
      if (m_stop) return false;
      if (percent != told) {
        told = percent;
        QMetaObject::invokeMethod(
            this, [this, percent] { emit progressChanged(percent); }, Qt::QueuedConnection);
      }
      if (hook) hook(percent, m_stop);
      return !m_stop;
    };
    const auto passOver = [&failed](const std::string& name) { return failed.count(name) != 0; };
    UpkeepResult result;
    try {
      result = KeepCompanion(dataDirectory, number, passOver, progress);
    } catch (const std::exception&) {
      result.end = UpkeepEnd::kFailed;
      result.error = "out of memory";
    }
    // The last thing the thread does: Stop joins it before the object goes, and an end posted
    // to a deleted object is never delivered.
    QMetaObject::invokeMethod(
        this, [this, job, result] { Finish(job, result); }, Qt::QueuedConnection);
  });
}

void CompanionBuilds::Finish(std::uint64_t job, const UpkeepResult& result) {
  if (job != m_nJob || !m_thread.joinable()) return;  // stopped meanwhile: nothing to tell
  m_thread.join();
  switch (result.end) {
    case UpkeepEnd::kBuilt:
      PointDatabase();
      emit companionChanged();
      break;
    case UpkeepEnd::kSound:
      PointDatabase();
      break;
    case UpkeepEnd::kFailed:
      if (!result.fileName.empty()) m_failed.insert(result.fileName);
      emit problemChanged(QString::fromStdString(result.error));
      break;
    case UpkeepEnd::kPassedOver:
    case UpkeepEnd::kStopped:
      break;
  }
  emit buildStateChanged();
  // The database may have opened another roll meanwhile.
  Look();
}

void CompanionBuilds::PointDatabase() {
  m_bPointPending = false;
  if (m_view.isNull() || g_bShuttingDown) return;
  RollDatabase* database = m_view->Screen().Database();
  if (database == nullptr) return;
  if (m_view->Screen().IsBusy()) {
    m_bPointPending = true;
    return;
  }
  // Told again, the database drops the reader it had and looks afresh at its next question.
  database->SetCompanionDirectory(m_bEnabled ? CompanionCachePlace() : std::string());
}
