// A roll copied into a disk image is the same roll: the same index hash, with the image's label.
#include <gtest/gtest.h>

#include "platform/volume_label.h"
#include "research/roll_identity.h"
#include "support/roll_image.h"
#include "support/test_roll.h"

namespace {

TEST(RollIdentityImageTest, ARollReadOutOfAnImageIsTheRollItWasCopiedFrom) {
  TestRoll roll;
  roll.Add("KELLY", "Patrick");
  roll.Add("MULLER", "Johann");
  roll.Build();
  ScopedTempDir dir;
  WriteRollIso(roll.dataDir, dir / "disk.iso");

  RollIdentity onDisk;
  RollIdentity inImage;
  ASSERT_TRUE(IdentifyRoll(roll.dataDir + "mroll.tre", &onDisk));
  ASSERT_TRUE(IdentifyRoll(dir / "disk.iso/mroll.tre", &inImage));
  EXPECT_EQ(inImage.hash, onDisk.hash);
  EXPECT_EQ(onDisk.label, "");
  EXPECT_FALSE(inImage.label.empty());
  EXPECT_EQ(inImage.label, VolumeLabelOfImage(dir / "disk.iso"));
}

}  // namespace
