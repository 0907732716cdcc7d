// The zoom steps and the step chosen for a screen.
#include "app/view_zoom.h"

#include <gtest/gtest.h>

namespace {

TEST(ZoomStepsTest, StepsGoUpAndDownAndStopAtTheEnds) {
  EXPECT_EQ(StepAfter(1), 1.25);
  EXPECT_EQ(StepAfter(1.5), 2);
  EXPECT_EQ(StepAfter(3), 3);
  EXPECT_EQ(StepBefore(2), 1.5);
  EXPECT_EQ(StepBefore(1.25), 1);
  EXPECT_EQ(StepBefore(1), 1);
  // A zoom between the steps (a hand-edited setting) counts as its nearest step.
  EXPECT_EQ(NearestStep(1.7), 1.5);
  EXPECT_EQ(NearestStep(2.6), 3);
  EXPECT_EQ(NearestStep(0.2), 1);
  EXPECT_EQ(StepAfter(1.4), 2);
}

TEST(ZoomStepsTest, TheFirstStartTakesTheLargestStepThatFitsComfortably) {
  // The frame at zoom 1 with its menu bar and status strip.
  const QSize frame(640, 524);
  const struct {
    QSize available;
    double zoom;
  } screens[] = {
      {{1920, 1040}, 1.5},  // full HD with a task bar: 2 would take 1048 of its 1040 rows
      {{2560, 1400}, 2},    // 1048 of 1400 rows
      {{3840, 2120}, 3},    // UHD
      {{1366, 728}, 1.25},  // a small laptop
      {{1024, 738}, 1.25},  // 655 rows of 738: just within nine tenths
      {{800, 600}, 1},      // nothing larger fits comfortably
      {{600, 400}, 1},      // not even 1 fits; 1 all the same
  };
  for (const auto& s : screens) {
    EXPECT_EQ(StartZoom(std::nullopt, frame, s.available), s.zoom)
        << s.available.width() << " x " << s.available.height();
  }
}

TEST(ZoomStepsTest, ARememberedZoomIsKeptWhileTheWindowStillFitsTheScreen) {
  const QSize frame(640, 524);
  // Chosen by the user: kept although it is larger than the comfortable one...
  EXPECT_EQ(StartZoom(2, frame, QSize(1920, 1080)), 2);
  // ...down to the largest step at which the window fits at all on a smaller screen,
  EXPECT_EQ(StartZoom(3, frame, QSize(1920, 1080)), 2);
  EXPECT_EQ(StartZoom(2, frame, QSize(1280, 720)), 1.25);
  // and at its nearest step.
  EXPECT_EQ(StartZoom(1.3, frame, QSize(3840, 2160)), 1.25);
  // A smaller remembered zoom is not raised.
  EXPECT_EQ(StartZoom(1, frame, QSize(3840, 2160)), 1);
  EXPECT_EQ(LargestStepWithin(frame, QSize(1280, 1048), 1.0), 2);
  EXPECT_EQ(LargestStepWithin(frame, QSize(1279, 1048), 1.0), 1.5);
}

}  // namespace
