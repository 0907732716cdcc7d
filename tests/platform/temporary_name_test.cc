// A temporary name tells its writer back, and only for the host that made it; however long the
// target's name, the temporary one fits a file name.
#include "platform/temporary_name.h"

#include <gtest/gtest.h>

TEST(TemporaryName, NamesItsWriterToThatHostOnly) {
  const std::string name = TemporaryName("export.csv", 4242, "ridge");
  EXPECT_EQ(name, ".export.csv.4242@ridge.tmp");
  EXPECT_EQ(OwnerOfTemporaryName(name, "ridge"), 4242u);
  EXPECT_EQ(OwnerOfTemporaryName(name, "other"), 0u) << "another host's writer cannot be asked";
  EXPECT_EQ(OwnerOfTemporaryName(".export.csv.42x@ridge.tmp", "ridge"), 0u);
  EXPECT_EQ(OwnerOfTemporaryName(".export.csv.1234567890@ridge.tmp", "ridge"), 0u) << "too many digits";
  EXPECT_EQ(OwnerOfTemporaryName("export.csv.42@ridge.tmp", "ridge"), 0u) << "not hidden: the user's own file";
  EXPECT_EQ(OwnerOfTemporaryName(".42@ridge.tmp", "ridge"), 0u);
}

TEST(TemporaryName, ALongNameIsCutToFit) {
  const std::string longName(400, 'x');
  const std::string name = TemporaryName(longName, 7, "ridge");
  EXPECT_EQ(name.size(), kLongestFileName);
  EXPECT_EQ(OwnerOfTemporaryName(name, "ridge"), 7u);
}
