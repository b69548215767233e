#pragma once

#include <cstdint>

// The view offset, in pixels, added to world coordinates when drawing.
// Dragging with the left button moves it with the cursor.
class Sight {
 public:
  // The offset never goes beyond ±kLimit pixels, so that adding a window
  // coordinate to it, or taking one from it, stays within 32 bits.
  static constexpr std::int32_t kLimit = 1 << 30;

  Sight(std::int32_t x_, std::int32_t y_) : x(x_), y(y_) {}
  virtual ~Sight() = default;

  // Reads the mouse motion every frame, so that motion made with the button
  // up is used up and never jumps the view when the button goes down.
  virtual void move();

  std::int32_t x = 0;
  std::int32_t y = 0;
};
