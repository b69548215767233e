#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

struct SDL_Surface;

// The drawing primitives every object uses. They take screen coordinates as
// doubles, so that a far-away or exploded position reaches them intact, and
// narrow them to SDL_gfx's 16-bit parameters only once they are known to fit.
namespace canvas {

struct Colour {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  std::uint8_t a = 255;
};

// The one checked float-to-integer conversion: truncates toward zero, and
// gives nothing for NaN, an infinity, or a value outside T's range.
template <typename T>
std::optional<T> toInt(double v) {
  const double t = std::trunc(v);
  if (!(t >= static_cast<double>(std::numeric_limits<T>::lowest()) &&
        t <= static_cast<double>(std::numeric_limits<T>::max()))) {
    return std::nullopt;
  }
  return static_cast<T>(t);
}

// Screen coordinate of a world coordinate w under the view offset o:
// trunc(w) + o, exact for every float of magnitude below 2^53 and free of
// integer overflow. NaN and infinities pass through.
inline double toScreen(float w, std::int32_t o) { return std::trunc(static_cast<double>(w)) + o; }

// Anti-aliased line. A line whose ends all fit in 16 bits goes to SDL_gfx as
// it is; one that reaches further is first clipped to a guard box around the
// surface. Lines wholly beside the surface and non-finite ends draw nothing.
void line(SDL_Surface* s, double x1, double y1, double x2, double y2, Colour c);

// Anti-aliased ring and filled disc of radius r around (x, y). Skipped when
// the centre is not finite or the shape lies wholly outside the surface.
void ring(SDL_Surface* s, double x, double y, std::int16_t r, Colour c);
void disc(SDL_Surface* s, double x, double y, std::int16_t r, Colour c);

}  // namespace canvas
