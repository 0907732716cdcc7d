// Writes to the research log on a thread of its own, so that a program that records as it goes
// (the viewer, at every search) never waits for the disk, for another program that holds the log,
// or for a log that turns out not to be usable: Post only queues.
//
// The log is opened (and made when missing) at the first action. A problem is reported once: the
// same message again is not repeated until an action has succeeded in between. A log that cannot
// be used at all (Lasting problems: damaged, another user's, from a newer version, ...) is not
// tried again for the recorder's life; what is posted after that is dropped quietly.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "research/research_log.h"

class ResearchRecorder {
 public:
  // Runs on the recorder's thread with the open log; returns false with researchLog.Problem() set.
  using Action = std::function<bool(ResearchLog& log)>;
  // Receives, on the recorder's thread, each message a person should read.
  using Report = std::function<void(const std::string& message)>;

  static constexpr std::size_t kMostQueued = 1000;

  ResearchRecorder(std::string path, Report report, ResearchLog::Settings settings = {});
  // Runs what is queued, then stops. When the log is busy meanwhile, what is still queued after
  // the first action that gave up is dropped (and that is reported), so closing is bounded.
  ~ResearchRecorder();
  ResearchRecorder(const ResearchRecorder&) = delete;
  ResearchRecorder& operator=(const ResearchRecorder&) = delete;

  // Queues `action`; never waits. False when kMostQueued actions are waiting already: the action
  // is dropped, and that is reported once.
  bool Post(Action action);
  // Queues the recording of `search`.
  bool RecordSearch(LoggedSearch search);

  // Waits until everything posted so far has run, at most `timeout`; true when it has.
  bool WaitIdle(std::chrono::milliseconds timeout);

 private:
  void Run();
  // Runs `action`; true when it gave up because another program held the log.
  bool RunOne(const Action& action);
  void Tell(const std::string& message);

  const std::string path;
  const Report report;
  ResearchLog researchLog;
  bool refused = false;      // recorder's thread only
  std::string lastReported;  // recorder's thread only

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable idle;
  std::deque<Action> queue;
  bool running = false;  // an action taken from the queue is running
  bool stopping = false;
  bool overflowReported = false;
  std::thread worker;
};
