#include "Pacer.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr std::size_t kMinSamples = 4;  // refreshes measured before the estimate is trusted
constexpr int kMaxLock = 8;             // refreshes per step worth locking to (240 Hz is 4)
constexpr double kNearMedian = 0.25;    // intervals this close to the median, relative, are averaged
}  // namespace

// The mean of the intervals near their median: the median drops a stall or
// a hidden tab, the mean then evens out the jitter of the timestamps.
double Pacer::refreshMs() const {
  if (seen_ < kMinSamples) return kPeriodMs;
  std::array<double, kSamples> sorted = intervals_;
  const auto count = static_cast<std::ptrdiff_t>(seen_);
  std::nth_element(sorted.begin(), sorted.begin() + count / 2, sorted.begin() + count);
  const double median = sorted[seen_ / 2];
  double sum = 0;
  int near = 0;
  for (std::size_t i = 0; i < seen_; ++i) {
    if (std::abs(sorted[i] - median) <= median * kNearMedian) {
      sum += sorted[i];
      ++near;
    }
  }
  return sum / near;
}

int Pacer::lockedRefreshes() const { return refreshesPerStep(refreshMs()); }

int Pacer::refreshesPerStep(double refresh) {
  for (int n = 1; n <= kMaxLock; ++n) {
    const double span = n * refresh;
    if (span >= kPeriodMs && span <= kPeriodMs * kLockSlack) return n;
    if (span > kPeriodMs * kLockSlack) break;
  }
  return 0;
}

bool Pacer::due(double now) {
  if (lastRefresh_ < 0) {  // the first refresh steps at once
    lastRefresh_ = now;
    lastStep_ = now;
    dueAt_ = now + kPeriodMs;
    return true;
  }
  intervals_[next_] = now - lastRefresh_;
  next_ = (next_ + 1) % kSamples;
  seen_ = std::min(seen_ + 1, kSamples);
  lastRefresh_ = now;

  // Half a refresh either way counts as on time: the refresh nearest the due
  // time takes the step, whatever the jitter of the timestamps.
  const double refresh = refreshMs();
  const double half = refresh / 2;
  const int locked = refreshesPerStep(refresh);
  if (locked > 0) {
    // Even cadence: count refreshes since the last step.
    if (now - lastStep_ < locked * refresh - half) return false;
    lastStep_ = now;
    dueAt_ = now + kPeriodMs;
    return true;
  }
  if (now < dueAt_ - half) return false;
  // More than a refresh late: a stall. Start the grid again from here.
  if (now - dueAt_ > refresh) dueAt_ = now;
  dueAt_ += kPeriodMs;
  lastStep_ = now;
  return true;
}
