// The steps of the View menu's zoom and the choice of a step for a screen. The zoom itself (every
// window drawn at a larger device-pixel ratio) is platform/qt/screen_zoom.h.
#pragma once

#include <QSize>
#include <optional>

inline constexpr double kZoomSteps[] = {1, 1.25, 1.5, 2, 3};
// A frame fits comfortably when it takes at most this share of the screen's available width and
// of its height.
inline constexpr double kComfortableShare = 0.9;

// The step after and before `zoom` (the nearest step to a zoom between steps); `zoom` itself at
// either end.
double StepAfter(double zoom);
double StepBefore(double zoom);
// The step nearest to `zoom`.
double NearestStep(double zoom);

// The largest step at which a frame of `frame` logical pixels (at zoom 1) takes at most `share`
// of `available` logical pixels (at zoom 1) each way; 1 when no step does.
double LargestStepWithin(QSize frame, QSize available, double share);

// The zoom to start with: the remembered one (at its nearest step, and no larger than the
// largest step whose frame fits the available area at all), else the largest step that fits it
// comfortably.
double StartZoom(std::optional<double> remembered, QSize frame, QSize available);
