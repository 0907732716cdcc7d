// image in a build without disk images: refused with one line, nothing written, before the roll
// is even looked at.
#include <gtest/gtest.h>

#include "support/rollkit_runner.h"

TEST(ImageTest, ABuildWithoutDiskImagesRefusesAndWritesNothing) {
  ScopedTempDir dir;
  const std::string db = BuildRoll(dir, "db", std::string(kRollHeader) + "Smith,John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n");
  const RunResult r = RunRollkit({"image", db, dir / "roll.iso"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, RollkitLine("disk images are not supported by this build"));
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"db", "db.csv"}));
}
