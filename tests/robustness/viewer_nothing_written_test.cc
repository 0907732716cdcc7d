// The viewer, driven by key presses and clicks through a whole session (searches with and
// without a given name, page turns both ways, More Info, Clear, Quit), writes nothing but
// history.buf in the family directory, the research log it records the searches in, in its own
// data directory, and the roll's companion index in its own cache folder: not in the data
// directory, not in the working directory, not elsewhere in the home, configuration or cache
// directories, and nothing of the log's (its WAL files) or of the index's is left behind.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "research/log_place.h"
#include "results/result_list.h"
#include "session_checks.h"
#include "store/companion_cache.h"
#include "support/environment.h"
#include "support/scoped_env.h"
#include "ui/bitmap_button.h"
#include "ui/companion_builds.h"
#include "ui/more_info_dialog.h"
#include "viewer_fixture.h"

namespace {

class ViewerNothingWritten : public ViewerTest {
 protected:
  void SetUp() override {
    AddStandardEntries(&roll);
    root = Utf8Path(PathFromUtf8(roll.dataDir).parent_path().parent_path()) + kPathSeparator;
    std::filesystem::create_directories(home.Prefix() + "config");
    // Everything a desktop program might write to lands where it is watched.
    for (const auto& [name, value] : {std::pair{"HOME", ""},
                                      {"XDG_CONFIG_HOME", "config"},
                                      {"XDG_DATA_HOME", "data"},
                                      {"XDG_CACHE_HOME", "cache"}}) {
      environment.Set(name, (home.Prefix() + value).c_str());
    }
    environment.Set(kUserDataVariable, (home.Prefix() + "data").c_str());
    environment.Set(kUserCacheVariable, (home.Prefix() + "cache").c_str());
    previousDir = std::filesystem::current_path();
    std::filesystem::current_path(home.Prefix());
  }
  void TearDown() override { std::filesystem::current_path(previousDir); }

  void MoreInfoOn(int row) {
    ClickRow(row);
    bool shown = false;
    OnNextModal([&](QWidget* modal) {
      shown = qobject_cast<MoreInfoDialog*>(modal) != nullptr;
      QTest::keyClick(modal, Qt::Key_Return);
    });
    QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
    EXPECT_TRUE(shown) << row;
  }
  void Page(BitmapButton* button, int times) {
    for (int i = 0; i < times; ++i) {
      QTest::mouseClick(button, Qt::LeftButton);
      MoreInfoOn(0);
    }
  }

  std::string root;
  ScopedTempDir home;
  ScopedEnv environment;
  std::filesystem::path previousDir;
};

}  // namespace

TEST_F(ViewerNothingWritten, AWholeSessionChangesOnlyTheFilterBuffer) {
  const auto elsewhere = Snapshot(home.Prefix());
  OpenWindow();  // builds the roll; the view empties history.buf at once
  const auto data = Snapshot(root);
  ASSERT_EQ(data.count("family/history.buf"), 1u);

  Search(QStringLiteral("Abbott"));
  MoreInfoOn(2);
  Page(view->NextButton(), 2);
  Page(view->PrevButton(), 2);
  Search(QStringLiteral("abbott"), QStringLiteral("john"));
  MoreInfoOn(4);
  Search(QStringLiteral("Abbott"), QStringLiteral("a"));
  Search(QStringLiteral("Nobody"), QStringLiteral("a"));
  Search(QStringLiteral("Dunn"));
  MoreInfoOn(0);
  QTest::mouseClick(view->ClearButton(), Qt::LeftButton);
  // The companion index the first search set building, wherever the platform keeps its cache.
  const std::filesystem::path companions = PathFromUtf8(CompanionCachePlace());
  const auto companionKept = [&] {
    std::error_code error;
    return !std::filesystem::is_empty(companions, error) && !error;
  };
  ASSERT_SOON(!frame->Companions()->Building() && companionKept());
  CloseWindow();

  EXPECT_EQ(Changes(data, Snapshot(root)), std::vector<std::string>{"family/history.buf"});
  // The research log, and nothing else, wherever the platform keeps the user's data.
  const std::u8string log =
      PathFromUtf8(DefaultLogPath()).lexically_relative(PathFromUtf8(home.Prefix())).generic_u8string();
  std::vector<std::string> changed = Changes(elsewhere, Snapshot(home.Prefix()));
  const std::u8string cached = companions.lexically_relative(PathFromUtf8(home.Prefix())).generic_u8string();
  ASSERT_EQ(changed.size(), 2u);
  const std::string companion = changed[0] == std::string(log.begin(), log.end()) ? changed[1] : changed[0];
  EXPECT_TRUE(companion.starts_with(std::string(cached.begin(), cached.end()) + "roll-") &&
              companion.ends_with(".companion"))
      << companion;
  EXPECT_NE(std::count(changed.begin(), changed.end(), std::string(log.begin(), log.end())), 0) << changed[0];
  EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Texts().front();
}
