#pragma once

#include <cstdint>
#include <string>

#include "Screen.h"

// The game's window in a web page: the page's canvas, behind emscripten's SDL.
//
// Emscripten keeps the picture in the canvas. Locking the surface copies the
// canvas into memory the program can draw in, and unlocking copies it back;
// SDL_gfx locks around every primitive. So the surface stays locked from just
// after the clear (which paints the canvas directly) to the flip: two copies
// a frame instead of two per primitive.
//
// The function keys act on the page instead of a desktop window: F9 switches
// the page's game area to full screen, F10 hides the cursor over the canvas,
// F12 downloads the picture as screenshot.png, and F5 does nothing.
class WebScreen : public Screen {
 public:
  WebScreen(const std::string& caption, std::int32_t width, std::int32_t height);

  void clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) override;
  void flip() override;
  void toggleFullScreen() override;
  void toggleCursor() override;
  void saveScreenshot() override;
  void iconify() override;

  // Emscripten fills in the colour masks of its surfaces but leaves every
  // shift and loss at 0, and SDL_gfx packs colours by the shifts. Sets them
  // from the masks.
  static void completeFormat(SDL_Surface* surface);
};
