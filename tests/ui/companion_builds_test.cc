// The roll's companion index, built in the background by the viewer: into the user's cache while
// the screen stays usable, once per roll, never when turned off, and given up without a trace when
// the window closes halfway.
#include "ui/companion_builds.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "app/view_doc.h"
#include "app/viewer_settings.h"
#include "store/companion_cache.h"
#include "support/environment.h"
#include "support/scoped_env.h"
#include "viewer_fixture.h"

namespace {

// Holds a build at its first step until released (or until it is being stopped), so that a test
// can act while it runs. Bounded: a build is never held longer than a minute.
class BuildGate {
 public:
  BuildGate() {
    CompanionBuilds::SetStepHook([this](int, const std::atomic<bool>& stop) {
      ++steps;
      reached = true;
      std::unique_lock<std::mutex> lock(mutex);
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
      while (!open && !stop && std::chrono::steady_clock::now() < deadline) {
        changed.wait_for(lock, std::chrono::milliseconds(5));
      }
      sawStop = sawStop || stop;
    });
  }
  ~BuildGate() {
    Release();
    CompanionBuilds::SetStepHook({});
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex);
    open = true;
    changed.notify_all();
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex);
    open = false;
  }

  std::atomic<int> steps{0};
  std::atomic<bool> reached{false};
  std::atomic<bool> sawStop{false};

 private:
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
};

class CompanionBuildsTest : public ViewerTest {
 protected:
  void SetUp() override {
    AddStandardEntries(&roll);
    env.Set(kUserCacheVariable, cache.Path().c_str());
    env.Set(kUserSettingsVariable, config.Path().c_str());
  }
  // The window goes before the test's own cache and settings folders, which Windows cannot remove
  // while the viewer holds a file in them open.
  void TearDown() override { CloseWindow(); }

  // A window over the roll as it is (OpenWindow writes the roll afresh).
  void OpenAgain() {
    frame = std::make_unique<CMainFrame>(std::make_unique<CViewDoc>(), roll.location);
    ASSERT_EQ(frame->OnCreate(), 0);
    ASSERT_TRUE(frame->Document()->OnOpenDocument("IDB_BACKDROP"));
    view = frame->View();
    view->OnInitialUpdate();
    frame->ActivateFrame(kSwShowNormal);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  }

  CompanionBuilds* Builds() const { return frame->Companions(); }
  QString StripMessage() const { return frame->findChild<QStatusBar*>()->currentMessage(); }
  QAction* SettingItem() const {
    for (QAction* item : frame->Menu(FrameMenu::kFind)->actions()) {
      if (item->text() == QStringLiteral("Use a Companion &Index")) return item;
    }
    return nullptr;
  }
  // The program's folder in the user's cache, wherever the platform keeps it (on Windows the
  // cache and the settings share one variable, so it is under `config` there).
  static std::string CacheFolder() {
    std::string place = CompanionCachePlace();
    if (!place.empty()) place.pop_back();
    return place;
  }
  // The files in the cache's folder of the program (companions and anything half-written).
  std::vector<std::string> CacheFiles() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(CacheFolder()), error)) {
      // On Windows the viewer's settings file shares the folder.
      if (entry.path().extension() == ".conf") continue;
      names.push_back(entry.path().filename().string());
    }
    return names;
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int row = 0; row < view->Screen().ShownRowCount(); ++row)
      rows.push_back(view->Screen().RowText(row));
    return rows;
  }
  // Lets the look that a finished command posts run, and any build it starts come to its end.
  void Settle() {
    QCoreApplication::processEvents();
    EXPECT_SOON(!Builds()->Building());
  }

  ScopedTempDir cache;
  ScopedTempDir config;
  ScopedEnv env;
};

TEST_F(CompanionBuildsTest, TheFirstOpenBuildsTheCompanionWhileSearchesAnswerAsBefore) {
  BuildGate gate;
  OpenWindow();
  ASSERT_NE(SettingItem(), nullptr);
  EXPECT_TRUE(SettingItem()->isChecked());
  Search(QStringLiteral("Abbott"));
  ASSERT_SOON(gate.reached);
  EXPECT_SOON(StripMessage().startsWith(QStringLiteral("Building the roll's companion index\u2026 ")));

  // The build is held halfway: the screen answers all the same, from the roll.
  Search(QStringLiteral("Abbott"), QStringLiteral("john"));
  const std::vector<std::string> during = Rows();
  EXPECT_EQ(during.size(), 5u);
  EXPECT_TRUE(Builds()->Building());
  EXPECT_EQ(view->Screen().Database()->Companion(), nullptr);
  EXPECT_TRUE(CacheFiles().empty());

  QSignalSpy built(Builds(), &CompanionBuilds::companionChanged);
  gate.Release();
  ASSERT_SOON(built.count() == 1);
  EXPECT_EQ(StripMessage(), QStringLiteral("Companion index ready"));
  const std::vector<std::string> files = CacheFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(files[0].ends_with(".companion")) << files[0];
  // The database was told to look again: it answers with the companion now, and the same rows.
  EXPECT_NE(view->Screen().Database()->Companion(), nullptr);
  Search(QStringLiteral("Abbott"), QStringLiteral("john"));
  EXPECT_EQ(Rows(), during);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(CompanionBuildsTest, ARollWhoseCompanionIsSoundIsNotBuiltAgain) {
  OpenWindow();
  QSignalSpy built(Builds(), &CompanionBuilds::companionChanged);
  Search(QStringLiteral("Abbott"));
  ASSERT_SOON(built.count() == 1);
  const std::vector<std::string> files = CacheFiles();
  ASSERT_EQ(files.size(), 1u);
  const auto written = std::filesystem::file_size(PathFromUtf8(CacheFolder()) / files[0]);
  CloseWindow();

  BuildGate gate;
  OpenAgain();
  QSignalSpy ended(Builds(), &CompanionBuilds::buildStateChanged);
  QSignalSpy builtAgain(Builds(), &CompanionBuilds::companionChanged);
  Search(QStringLiteral("Abbott"));
  ASSERT_SOON(ended.count() == 1);
  EXPECT_EQ(gate.steps, 0);
  EXPECT_EQ(builtAgain.count(), 0);
  EXPECT_EQ(CacheFiles(), files);
  EXPECT_EQ(std::filesystem::file_size(PathFromUtf8(CacheFolder()) / files[0]), written);
  EXPECT_NE(view->Screen().Database()->Companion(), nullptr);
  // More searches on the same open roll look no further.
  Search(QStringLiteral("Baker"));
  Settle();
  EXPECT_EQ(ended.count(), 1);
}

TEST_F(CompanionBuildsTest, TurnedOffNothingIsBuiltNoneIsUsedAndTheChoiceIsKept) {
  OpenWindow();
  ASSERT_NE(SettingItem(), nullptr);
  SettingItem()->trigger();
  EXPECT_FALSE(SettingItem()->isChecked());
  EXPECT_FALSE(CompanionIndexOn());
  Search(QStringLiteral("Abbott"));
  Settle();
  EXPECT_TRUE(CacheFiles().empty());
  CloseWindow();

  // The next start keeps it off.
  OpenAgain();
  EXPECT_FALSE(SettingItem()->isChecked());
  QSignalSpy ended(Builds(), &CompanionBuilds::buildStateChanged);
  Search(QStringLiteral("Abbott"));
  Settle();
  EXPECT_EQ(ended.count(), 0);
  EXPECT_TRUE(CacheFiles().empty());

  // Turned on, the roll open now gets its companion; off again, the database uses none.
  QSignalSpy built(Builds(), &CompanionBuilds::companionChanged);
  SettingItem()->trigger();
  ASSERT_SOON(built.count() == 1);
  EXPECT_NE(view->Screen().Database()->Companion(), nullptr);
  SettingItem()->trigger();
  EXPECT_EQ(view->Screen().Database()->Companion(), nullptr);
  Search(QStringLiteral("Abbott"), QStringLiteral("john"));
  EXPECT_EQ(Rows().size(), 5u);
  EXPECT_EQ(view->Screen().Database()->Companion(), nullptr);
}

TEST_F(CompanionBuildsTest, ClosingTheWindowMidBuildStopsItAndLeavesNothingInTheCache) {
  BuildGate gate;
  OpenWindow();
  Search(QStringLiteral("Abbott"));
  ASSERT_SOON(gate.reached);
  ASSERT_TRUE(Builds()->Building());
  // Closing returns only once the build's thread has ended: the gate saw the stop.
  CloseWindow();
  EXPECT_TRUE(gate.sawStop);
  EXPECT_TRUE(CacheFiles().empty());

  // Turning it off halfway stops it the same way.
  BuildGate second;
  OpenAgain();
  Search(QStringLiteral("Abbott"));
  ASSERT_SOON(second.reached);
  SettingItem()->trigger();
  EXPECT_FALSE(Builds()->Building());
  EXPECT_TRUE(second.sawStop);
  EXPECT_TRUE(CacheFiles().empty());
}

TEST_F(CompanionBuildsTest, ABuildThatFailsIsToldOnceAndNotTriedAgainForThatRoll) {
  // The cache's place is taken by a file: no folder can be made there.
  std::filesystem::create_directories(PathFromUtf8(CacheFolder()).parent_path());
  WriteFileBytes(CacheFolder(), "not a folder");
  OpenWindow();
  QSignalSpy failed(Builds(), &CompanionBuilds::problemChanged);
  QSignalSpy ended(Builds(), &CompanionBuilds::buildStateChanged);
  Search(QStringLiteral("Abbott"));
  ASSERT_SOON(failed.count() == 1);
  EXPECT_TRUE(StripMessage().startsWith(QStringLiteral("No companion index: ")))
      << StripMessage().toStdString();
  EXPECT_EQ(ReadFileBytes(CacheFolder()), "not a folder");

  // The same roll opened afresh is passed over quietly.
  view->Screen().Database()->Close();
  Search(QStringLiteral("Abbott"), QStringLiteral("john"));
  ASSERT_SOON(ended.count() == 2);
  Settle();
  EXPECT_EQ(failed.count(), 1);
  EXPECT_EQ(Rows().size(), 5u);
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
