#pragma once

#include <cstdint>

// The few SDL readings that depend on the outside world: the mouse and the
// clock. The program uses SDL's own functions; tests point these at scripted
// ones to drive a frame exactly.
namespace platform {

// Cursor position in window pixels and the button mask.
extern std::uint8_t (*mouseState)(int* x, int* y);
// Mouse motion since the previous call, in pixels, and the button mask.
extern std::uint8_t (*relativeMouseState)(int* dx, int* dy);
// Milliseconds since SDL started; wraps after 2^32.
extern std::uint32_t (*ticks)();
// Sleeps for the given milliseconds.
extern void (*delay)(std::uint32_t ms);

}  // namespace platform
