// viewer_probe: the viewer as it starts for a user, with a watch on its first paint, for the
// whole-process figures and the search latency. It runs the real start-up (CViewApp) and then,
// depending on the mode:
//
//   viewer_probe startup            quit as soon as the search screen has been painted once
//   viewer_probe idle               the same, after the event queue has run dry
//   viewer_probe page SURNAME       search SURNAME with the real controls, press next page until
//                                   it is disabled, then quit
//   viewer_probe shot SURNAME PNG [GIVEN]
//                                   search by Enter in the surname field, save the window as PNG
//   viewer_probe export KIND SURNAME FILE
//                                   search SURNAME, then write every entry of its result to FILE
//                                   the way the File menu does: KIND csv, json, gedcom, pdf (the
//                                   printed list) or pull (the microfilm pull list)
//   viewer_probe latency PICKS REPS [benchmark flags]
//                                   for each search case named in PICKS (roll_bench --picks),
//                                   REPS times: type the names, press Enter in the surname field
//                                   and time it until the end of the search view's first paint,
//                                   and until the viewer takes input again (Google Benchmark, one
//                                   search per repetition; median and 99th percentile)
//
// The first three and export print the time from main() to the first paint and the peak resident
// memory (VmHWM).
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/view_app.h"
#include "platform/qt/qt_dialogs.h"
#include "records/pull_list.h"
#include "stopwatch.h"
#include "ui/bitmap_button.h"
#include "ui/export_results.h"
#include "ui/printing.h"
#include "ui/save_file.h"
#include "ui/view_view.h"
#include "ui/whole_result.h"

#if DRAVENHOLT_CAN_PRINT
#include <QPrinter>

#include "ui/print_results.h"
#endif

namespace {

std::string PeakMemory() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return line.substr(6);
  }
  return "?";
}

// The application, with a mark at the end of each paint of the search view: the first paint after a
// timed Enter is when the search's page is on screen.
class ProbeApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    const bool viewPaint = event->type() == QEvent::Paint && qobject_cast<CViewView*>(receiver) != nullptr;
    const bool handled = QApplication::notify(receiver, event);
    if (viewPaint && !painted) {
      painted = true;
      paintEnd = Now();
    }
    return handled;
  }
  bool painted = false;
  Instant paintEnd;
};

// Watches for the search view's first paint, which starts the mode's work.
class PaintWatch : public QObject {
 public:
  PaintWatch(QElapsedTimer& started, std::function<void(CViewView*)> work)
      : clock(started), then(std::move(work)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    auto* view = qobject_cast<CViewView*>(watched);
    if (!view) return false;
    if (!seen) {
      seen = true;
      std::printf("first paint after %.1f ms\n", static_cast<double>(clock.nsecsElapsed()) / 1e6);
      // After the paint has finished: the handler runs from the event loop.
      QTimer::singleShot(0, view, [this, view] { then(view); });
    }
    return false;
  }

 private:
  QElapsedTimer& clock;
  std::function<void(CViewView*)> then;
  bool seen = false;
};

std::map<std::string, std::string> ReadPicks(const std::string& path) {
  std::map<std::string, std::string> picks;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos) picks[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return picks;
}

double Percentile99(const std::vector<double>& v) {
  if (v.empty()) return 0;
  std::vector<double> sorted = v;
  std::sort(sorted.begin(), sorted.end());
  const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(sorted.size())));
  return sorted[std::max<std::size_t>(rank, 1) - 1];
}

// Registers the search cases of `picks` and runs them through `view`'s own controls.
bool RunLatency(CViewView* view, ProbeApplication& app, const std::map<std::string, std::string>& picks,
                int reps) {
  struct SearchCase {
    const char* name;
    const char* surnamePick;
    const char* givenPick;  // null: none
  };
  const SearchCase cases[] = {
      {"search/surname/single", "single", nullptr},        {"search/surname/median", "median", nullptr},
      {"search/given/one_letter", "common", "one_letter"}, {"search/given/common", "common", "given"},
      {"search/given/no_match", "common", "no_match"},     {"search/surname/most_common", "common", nullptr},
  };
  std::vector<std::pair<QString, QString>> searches;
  for (const SearchCase& c : cases) {
    const auto surname = picks.find(c.surnamePick);
    const auto given = c.givenPick ? picks.find(c.givenPick) : picks.end();
    if (surname == picks.end() || (c.givenPick && given == picks.end())) {
      std::fprintf(stderr, "viewer_probe: the picks name no %s\n", c.givenPick ? c.givenPick : c.surnamePick);
      return false;
    }
    const QString surnameText = QString::fromLatin1(surname->second.c_str());
    const QString givenText = c.givenPick ? QString::fromLatin1(given->second.c_str()) : QString();
    searches.emplace_back(surnameText, givenText);
    benchmark::RegisterBenchmark(("viewer/" + std::string(c.name)).c_str(),
                                 [view, &app, surnameText, givenText](benchmark::State& state) {
                                   for (auto _ : state) {
                                     view->NameField(0)->setText(surnameText);
                                     view->NameField(1)->setText(givenText);
                                     QApplication::processEvents();
                                     app.painted = false;
                                     const Instant start = Now();
                                     QTest::keyClick(view->NameField(0), Qt::Key_Return);
                                     // Then whatever the search left for later (the filter
                                     // buffer's records, the buttons' new states): when that is
                                     // done the viewer takes input again.
                                     QCoreApplication::sendPostedEvents();
                                     QApplication::processEvents();
                                     const Instant ready = Since(start);
                                     if (!app.painted) {
                                       state.SkipWithError("the search painted nothing");
                                       continue;
                                     }
                                     const Instant painted{app.paintEnd.wall - start.wall,
                                                           app.paintEnd.cpu - start.cpu};
                                     state.SetIterationTime(painted.wall);
                                     // The GUI thread's own share, without the machine's other
                                     // users; and the time until it takes input again.
                                     state.counters["cpu_us"] = painted.cpu * 1e6;
                                     state.counters["ready_us"] = ready.wall * 1e6;
                                     state.counters["ready_cpu_us"] = ready.cpu * 1e6;
                                   }
                                 })
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(reps)
        ->ComputeStatistics("p99", Percentile99)
        ->Unit(benchmark::kMillisecond);
  }
  // Each search once untimed: the timed ones are the viewer's usual searches, not its first.
  for (const auto& [surnameText, givenText] : searches) {
    view->NameField(0)->setText(surnameText);
    view->NameField(1)->setText(givenText);
    QTest::keyClick(view->NameField(0), Qt::Key_Return);
    QApplication::processEvents();
  }
  // The last search was the most common surname's: the screen must show its whole count.
  const auto count = picks.find("common_count");
  if (count == picks.end() || view->Results()->ResultCount() != std::atoi(count->second.c_str())) {
    std::fprintf(stderr, "viewer_probe: the searches do not reach the roll of the picks\n");
    return false;
  }
  benchmark::RunSpecifiedBenchmarks();
  return true;
}

// Writes the whole result of `view` to `path` as `kind`; false when it was not written.
bool Export(CViewView* view, const std::string& kind, const QString& path) {
  if (kind == "csv" || kind == "json") {
    return WriteExport(view, path, kind == "csv" ? ExportFormat::kCsv : ExportFormat::kJson);
  }
  if (kind == "gedcom") {
    GedcomOptions options;
    options.date = "9 DEC 2026";
    return WriteResultGedcom(view, path, options);
  }
  if (kind == "pull") {
    PullList list;
    if (ForEachEntry(view, QStringLiteral("Reading"), [&list](const SoldierEntry& entry) {
          list.Add(entry);
          return true;
        }) != WalkOutcome::kDone) {
      return false;
    }
    std::printf("%zu microfilm rolls\n", list.Rolls().size());
    return SaveBytes(path, list.Text(), ViewInputs(view));
  }
#if DRAVENHOLT_CAN_PRINT
  if (kind == "pdf") {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    const PrintHeading heading{QStringLiteral("Search"), QStringLiteral("found"), QDate::currentDate()};
    return PrintThroughSave(&printer, ViewInputs(view), [&](QPrinter* target) {
      return PrintResultList(target, heading, [&](const std::function<bool(const SoldierEntry&)>& take) {
        return ForEachEntry(view, QStringLiteral("Printing"), take) == WalkOutcome::kDone;
      });
    });
  }
#endif
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer clock;
  clock.start();
  benchmark::Initialize(&argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "startup";
  const std::string argument = argc > 2 ? argv[2] : "";
  const std::string third = argc > 3 ? argv[3] : "";
  const std::string fourth = argc > 4 ? argv[4] : "";
  const int reps = std::atoi(third.c_str());
  if (mode != "startup" && mode != "idle" && !(mode == "page" && !argument.empty()) &&
      !(mode == "latency" && !argument.empty() && reps > 0) &&
      !(mode == "shot" && !argument.empty() && !third.empty()) &&
      !(mode == "export" && !argument.empty() && !third.empty() && !fourth.empty())) {
    std::fprintf(stderr,
                 "usage: viewer_probe startup | idle | page SURNAME | latency PICKS REPS [benchmark flags] | "
                 "shot SURNAME PNG [GIVEN] | export KIND SURNAME FILE\n");
    return 2;
  }
  const auto picks = mode == "latency" ? ReadPicks(argument) : std::map<std::string, std::string>();
  int exitCode = 0;

  ProbeApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
  CViewApp app;
  PaintWatch watch(clock, [&](CViewView* view) {
    if (mode == "idle") QApplication::processEvents();
    if (mode == "page") {
      view->NameField(0)->setText(QString::fromLatin1(argument.c_str()));
      view->SearchButton()->click();
      QApplication::processEvents();
      int pages = 1;
      while (view->NextButton()->isEnabled() && pages < 100000) {
        view->NextButton()->click();
        QApplication::processEvents();
        ++pages;
      }
      std::printf("%s: %d pages, %d rows on the last\n", argument.c_str(), pages,
                  view->Results()->RowCount());
      if (pages < 2) exitCode = 1;
    }
    if (mode == "latency" && !RunLatency(view, application, picks, reps)) exitCode = 1;
    if (mode == "shot") {
      view->NameField(0)->setText(QString::fromLatin1(argument.c_str()));
      view->NameField(1)->setText(QString::fromLatin1(fourth.c_str()));
      QTest::keyClick(view->NameField(0), Qt::Key_Return);
      QApplication::processEvents();
      if (!view->window()->grab().save(QString::fromLocal8Bit(third.c_str()))) exitCode = 1;
    }
    if (mode == "export") {
      view->NameField(0)->setText(QString::fromLatin1(third.c_str()));
      QTest::keyClick(view->NameField(0), Qt::Key_Return);
      QApplication::processEvents();
      SetProgressDelay(1 << 30);  // nobody is there to cancel it
      const Instant start = Now();
      if (!Export(view, argument, QString::fromLocal8Bit(fourth.c_str()))) exitCode = 1;
      std::printf("%s of %s: %ld entries in %.2f s\n", argument.c_str(), third.c_str(),
                  static_cast<long>(view->Results()->ResultCount()), Since(start).wall);
    }
    if (mode != "latency" && mode != "shot") std::printf("peak memory %s\n", PeakMemory().c_str());
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
