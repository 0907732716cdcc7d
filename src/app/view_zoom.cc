#include "app/view_zoom.h"

#include <algorithm>
#include <cmath>
#include <iterator>

double NearestStep(double zoom) {
  return *std::min_element(std::begin(kZoomSteps), std::end(kZoomSteps),
                           [zoom](double a, double b) { return std::abs(a - zoom) < std::abs(b - zoom); });
}

double StepAfter(double zoom) {
  const auto next = std::upper_bound(std::begin(kZoomSteps), std::end(kZoomSteps), NearestStep(zoom));
  return next == std::end(kZoomSteps) ? NearestStep(zoom) : *next;
}

double StepBefore(double zoom) {
  const auto at = std::lower_bound(std::begin(kZoomSteps), std::end(kZoomSteps), NearestStep(zoom));
  return at == std::begin(kZoomSteps) ? *at : *std::prev(at);
}

double LargestStepWithin(QSize frame, QSize available, double share) {
  double largest = kZoomSteps[0];
  for (double step : kZoomSteps) {
    if (frame.width() * step <= available.width() * share &&
        frame.height() * step <= available.height() * share) {
      largest = step;
    }
  }
  return largest;
}

double StartZoom(std::optional<double> remembered, QSize frame, QSize available) {
  if (remembered) return std::min(NearestStep(*remembered), LargestStepWithin(frame, available, 1.0));
  return LargestStepWithin(frame, available, kComfortableShare);
}
