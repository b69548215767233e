#include "Sight.h"

#include <SDL.h>

#include <algorithm>

#include "Platform.h"

namespace {
std::int32_t pan(std::int32_t offset, int delta) {
  const std::int64_t moved = static_cast<std::int64_t>(offset) + delta;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(moved, -Sight::kLimit, Sight::kLimit));
}
}  // namespace

void Sight::move() {
  int dx = 0;
  int dy = 0;
  const std::uint8_t mask = platform::relativeMouseState(&dx, &dy);
  if (mask & SDL_BUTTON(SDL_BUTTON_LEFT)) {
    x = pan(x, dx);
    y = pan(y, dy);
  }
}
