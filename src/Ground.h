#pragma once

#include <cstdint>

// The terrain: a fixed wavy profile over the whole world x axis.
class Ground {
 public:
  Ground() = default;
  virtual ~Ground() = default;

  // Terrain surface y at world x, in pixels (y grows downward), unrounded.
  // Always between 306 and 474.
  virtual double height(float x) const;

  // A dashed white line across the surface: 4 pixels drawn every 8.
  virtual void draw(std::int32_t ox, std::int32_t oy) const;
};
