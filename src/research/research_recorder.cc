#include "research/research_recorder.h"

ResearchRecorder::ResearchRecorder(std::string logPath, Report onReport, ResearchLog::Settings settings)
    : path(std::move(logPath)), report(std::move(onReport)), researchLog(std::move(settings)) {
  worker = std::thread([this] { Run(); });
}

ResearchRecorder::~ResearchRecorder() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  wake.notify_all();
  worker.join();
}

bool ResearchRecorder::Post(Action action) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (queue.size() < kMostQueued) {
      queue.push_back(std::move(action));
      overflowReported = false;
      wake.notify_one();
      return true;
    }
    if (overflowReported) return false;
    overflowReported = true;
  }
  // Told from here, outside the lock; the recorder's thread is busy with the log.
  if (report) report(path + ": the research log is not keeping up; some actions were not recorded");
  return false;
}

bool ResearchRecorder::RecordSearch(LoggedSearch search) {
  return Post([search](ResearchLog& log) mutable { return log.RecordSearch(&search); });
}

bool ResearchRecorder::WaitIdle(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex);
  return idle.wait_for(lock, timeout, [this] { return queue.empty() && !running; });
}

void ResearchRecorder::Tell(const std::string& message) {
  if (message.empty() || message == lastReported) return;
  lastReported = message;
  if (report) report(message);
}

bool ResearchRecorder::RunOne(const Action& action) {
  if (refused) return false;
  if (!researchLog.IsOpen()) {
    if (!researchLog.Open(path, LogAccess::kWrite)) {
      refused = researchLog.Problem().Lasting();
      Tell(researchLog.Problem().message);
      return researchLog.Problem().kind == LogProblemKind::kBusy;
    }
    if (!researchLog.Notice().empty()) Tell(researchLog.Notice());
  }
  if (action(researchLog)) {
    lastReported.clear();
    return false;
  }
  const LogProblem problem = researchLog.Problem();
  if (problem.Lasting()) {
    refused = true;
    researchLog.Close();
  }
  Tell(problem.message);
  return problem.kind == LogProblemKind::kBusy;
}

void ResearchRecorder::Run() {
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    wake.wait(lock, [this] { return stopping || !queue.empty(); });
    if (queue.empty()) break;  // stopping, with nothing left
    Action action = std::move(queue.front());
    queue.pop_front();
    running = true;
    lock.unlock();
    const bool gaveUp = RunOne(action);
    lock.lock();
    running = false;
    if (stopping && gaveUp && !queue.empty()) {
      const std::size_t dropped = queue.size();
      queue.clear();
      lock.unlock();
      Tell(path + ": " + std::to_string(dropped) + (dropped == 1 ? " action was" : " actions were") +
           " not recorded: the research log stayed in use by another program");
      lock.lock();
    }
    if (queue.empty()) idle.notify_all();
  }
  idle.notify_all();
}
