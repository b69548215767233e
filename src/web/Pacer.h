#pragma once

#include <array>
#include <cstddef>

// Decides, once per displayed frame, whether the game takes its next step.
//
// The desktop loop takes a step at most every 16 ms. A browser instead calls
// back once per refresh of the display, at 60, 75, 120, 144 Hz or more, and
// a step can only be shown at a refresh. The pacer keeps the world at the
// desktop's speed with the steadiest cadence the display allows:
//  - When a whole number of refreshes lasts from 16 ms to 5 % longer (60 Hz:
//    one, 120 Hz: two, 240 Hz: four), every step lasts exactly that many
//    refreshes: an even cadence, at most 5 % slower than 62.5 steps/s.
//  - Otherwise (75, 90, 100, 144 Hz) steps fall on a 16 ms grid, each at the
//    refresh nearest its due time: 62.5 steps/s, alternating between the two
//    neighbouring whole numbers of refreshes.
// At most one step per refresh, and a slow frame is not made up: after a
// stall the grid starts again from the late frame, so no burst of steps
// follows.
class Pacer {
 public:
  static constexpr double kPeriodMs = 16.0;   // shortest frame of the desktop loop
  static constexpr double kLockSlack = 1.05;  // an even cadence may run this much slower

  // `now`: the timestamp of this refresh, milliseconds, never decreasing.
  // True when the game is to step in this refresh.
  bool due(double now);

  // The display's refresh interval as measured so far, milliseconds; the
  // period until enough refreshes have been seen.
  double refreshMs() const;

  // Refreshes per step when the display allows an even cadence, else 0.
  int lockedRefreshes() const;

 private:
  // Refreshes per step for an even cadence at this refresh interval, else 0.
  static int refreshesPerStep(double refresh);

  static constexpr std::size_t kSamples = 31;  // refresh intervals kept: half a second at 60 Hz

  std::array<double, kSamples> intervals_{};
  std::size_t seen_ = 0;     // intervals recorded, saturating at kSamples
  std::size_t next_ = 0;     // ring index of the next interval to record
  double lastRefresh_ = -1;  // timestamp of the previous call; -1 before the first
  double lastStep_ = 0;      // timestamp of the latest step
  double dueAt_ = 0;         // grid time of the next step
};
