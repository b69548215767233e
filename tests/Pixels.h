#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

// True when two surfaces of the same size and format hold the same pixels.
// A row compare: fast enough to run after every shape or every frame.
inline bool samePixels(const SDL_Surface* a, const SDL_Surface* b) {
  for (int y = 0; y < a->h; ++y) {
    const auto* ra = static_cast<const std::uint8_t*>(a->pixels) + static_cast<std::ptrdiff_t>(y) * a->pitch;
    const auto* rb = static_cast<const std::uint8_t*>(b->pixels) + static_cast<std::ptrdiff_t>(y) * b->pitch;
    if (std::memcmp(ra, rb, static_cast<std::size_t>(a->w) * a->format->BytesPerPixel) != 0) return false;
  }
  return true;
}
