#include "Pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// A display refreshing at `hz`, its timestamps shaken by up to ±`jitterMs`
// (a fixed pseudo-random sequence), run through a pacer for `seconds`;
// optionally with no refresh for `stallMs` from `stallAtMs` on (a slow
// frame, or a hidden tab).
struct Played {
  double stepsPerSecond = 0;
  int minRefreshes = 0;   // fewest refreshes between two steps
  int maxRefreshes = 0;   // most refreshes between two steps
  std::vector<int> gaps;  // refreshes between consecutive steps
};

Played play(double hz, double jitterMs, double seconds, double stallAtMs = -1, double stallMs = 0) {
  Pacer pacer;
  const double refresh = 1000.0 / hz;
  std::uint32_t seed = 12345;
  const auto shake = [&] {
    seed = seed * 1664525u + 1013904223u;
    return (static_cast<double>(seed >> 8) / double(1 << 24) * 2 - 1) * jitterMs;
  };
  Played run;
  std::vector<double> stepTimes;
  for (int i = 0;; ++i) {
    double clock = i * refresh;
    // No refresh during a stall: the next one comes stallMs late.
    if (stallAtMs >= 0 && clock >= stallAtMs) clock += stallMs;
    if (clock >= seconds * 1000) break;
    if (pacer.due(clock + shake())) stepTimes.push_back(clock);
  }
  run.stepsPerSecond = static_cast<double>(stepTimes.size()) / seconds;
  // Gaps from the second second on (the first settles the refresh
  // estimate), leaving out the one across the stall.
  for (std::size_t k = 1; k < stepTimes.size(); ++k) {
    if (stepTimes[k - 1] < 1000) continue;
    const int gap = static_cast<int>(std::lround((stepTimes[k] - stepTimes[k - 1]) / refresh));
    if (stallMs > 0 && stepTimes[k - 1] < stallAtMs + stallMs && stepTimes[k] >= stallAtMs + stallMs)
      continue;
    run.gaps.push_back(gap);
  }
  run.minRefreshes = *std::min_element(run.gaps.begin(), run.gaps.end());
  run.maxRefreshes = *std::max_element(run.gaps.begin(), run.gaps.end());
  return run;
}

struct Display {
  double hz;
  int refreshesLow;  // the cadence: refreshes per step, low and high
  int refreshesHigh;
  double rateLow;  // steps per second
  double rateHigh;
};

// An even cadence where a whole number of refreshes is 16 to 16.8 ms;
// otherwise the two neighbouring cadences at 62.5 steps/s.
const Display kDisplays[] = {
    {60, 1, 1, 59.5, 60.5},  {59.94, 1, 1, 59.4, 60.5}, {120, 2, 2, 59.5, 60.5},
    {240, 4, 4, 59.5, 60.5}, {75, 1, 2, 62, 63},        {90, 1, 2, 62, 63},
    {100, 1, 2, 62, 63},     {144, 2, 3, 62, 63},       {165, 2, 3, 62, 63},
};

TEST(PacerTest, DesktopSpeedWithTheSteadiestCadence) {
  for (const Display& d : kDisplays) {
    for (double jitter : {0.0, 0.3}) {
      SCOPED_TRACE(std::to_string(d.hz) + " Hz, jitter " + std::to_string(jitter) + " ms");
      const Played r = play(d.hz, jitter, 20);
      EXPECT_GE(r.stepsPerSecond, d.rateLow);
      EXPECT_LE(r.stepsPerSecond, d.rateHigh);
      EXPECT_EQ(r.minRefreshes, d.refreshesLow);
      EXPECT_EQ(r.maxRefreshes, d.refreshesHigh);
    }
  }
}

// A stall of 200 ms is not made up: no two steps in a row at a display
// that otherwise steps every second or third refresh, and the rate after it
// is the rate before.
TEST(PacerTest, NoBurstAfterAStall) {
  for (double hz : {120.0, 144.0}) {
    SCOPED_TRACE(std::to_string(hz) + " Hz");
    const Played r = play(hz, 0.5, 10, 5000, 200);
    EXPECT_EQ(r.minRefreshes, 2);
    const Played calm = play(hz, 0.5, 10);
    EXPECT_NEAR(r.stepsPerSecond, calm.stepsPerSecond - 0.2 * calm.stepsPerSecond / 10, 0.5);
  }
}

// A hidden tab gets no refreshes for seconds; afterwards play goes on at
// the same pace, one step per refresh at 60 Hz.
TEST(PacerTest, HiddenTabResumesAtPace) {
  const Played r = play(60, 0.5, 10, 3000, 4000);
  EXPECT_EQ(r.minRefreshes, 1);
  EXPECT_EQ(r.maxRefreshes, 1);
}

TEST(PacerTest, FirstRefreshSteps) {
  Pacer pacer;
  EXPECT_TRUE(pacer.due(1234.5));
  EXPECT_FALSE(pacer.due(1234.5 + 4));
}

TEST(PacerTest, MeasuresTheRefresh) {
  Pacer pacer;
  for (int i = 0; i < 40; ++i) pacer.due(i * 1000.0 / 144);
  EXPECT_NEAR(pacer.refreshMs(), 1000.0 / 144, 1e-9);
  EXPECT_EQ(pacer.lockedRefreshes(), 0);
  Pacer sixty;
  for (int i = 0; i < 40; ++i) sixty.due(i * 1000.0 / 60);
  EXPECT_EQ(sixty.lockedRefreshes(), 1);
}

}  // namespace
