#include "Ground.h"

#include <SDL.h>

#include <cmath>

#include "Canvas.h"
#include "Screen.h"
#include "Tavelond.h"

namespace {
constexpr int kDashPeriod = 8;  // pixels from one dash's start to the next
constexpr int kDashLength = 4;  // pixels of x each dash spans
constexpr double kBaseline = 480.0;
constexpr double kLift = 90.0;
constexpr canvas::Colour kWhite{255, 255, 255, 255};
}  // namespace

// h(x) = 4 sin(x/8) + 8 sin(x/10) + 48 sin(x/120) + 24 cos(x/45 + 1) + 480 - 90
double Ground::height(float x) const {
  const double X = x;
  const double t1 = 4.0 * std::sin(X / 8.0);
  const double t2 = 8.0 * std::sin(X / 10.0);
  const double t3 = 48.0 * std::sin(X / 120.0);
  const double t4 = 24.0 * std::cos(X / 45.0 + 1.0);
  const double s = t1 + (t2 + (t3 + t4));
  return s + kBaseline - kLift;
}

void Ground::draw(std::int32_t ox, std::int32_t oy) const {
  SDL_Surface* s = instance->screen->surface;
  // Screen y of the terrain under screen x: the world x is that column less
  // the offset, as a float; the height is rounded to a float, then truncated.
  const auto screenY = [&](int sx) {
    const float wx = static_cast<float>(static_cast<std::int64_t>(sx) - ox);
    return canvas::toScreen(static_cast<float>(height(wx)), oy);
  };
  for (int i = 0; i <= s->w; i += kDashPeriod) {
    const int left = i - kDashLength;
    canvas::line(s, left, screenY(left), i, screenY(i), kWhite);
  }
}
