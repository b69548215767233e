#pragma once

#include <cstdint>

class Joint;

// The building tool. Left presses select a first joint, then a second, then
// place a new joint at the cursor tied to both by springs; a right press
// cancels. Selected joints pulse, and with two selected a preview follows
// the cursor.
class Constructer {
 public:
  static constexpr int kPulseRadius = 12;   // pixels, a joint's drawn outline
  static constexpr int kPulsePeriod = 120;  // frames
  static constexpr std::uint8_t kPreviewAlpha = 128;

  Constructer() = default;
  virtual ~Constructer() = default;

  virtual void move();
  virtual void draw(std::int32_t ox, std::int32_t oy) const;

  // The first joint of the tower, in list order, that covers the world point.
  static Joint* pick(std::int32_t x, std::int32_t y);
  void drawMark(std::int32_t ox, std::int32_t oy, const Joint* joint) const;
  // A white ring at screen point (x, y) whose alpha follows `count`.
  void drawPulse(double x, double y, int radius) const;

  // Alpha of the pulse in frame c: rises from 32 to 251 over 60 frames, then
  // falls from 223 to 4. Negative c (after the counter wraps) stays on the
  // rising branch with the low 8 bits of a negative ramp.
  static std::uint8_t pulseAlpha(std::int32_t c);

  // Selection states: (none, none), (J, none), (J, K) with K possibly J.
  Joint* first = nullptr;
  Joint* second = nullptr;
  std::uint8_t buttons = 0;  // mask seen by the previous move
  std::int32_t count = 0;    // frames, wrapping in two's complement
};
