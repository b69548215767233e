#pragma once

#include <cstdint>
#include <string>

#include "Screen.h"

// The game's window in a web page: the page's canvas, behind emscripten's SDL.
//
// Emscripten keeps the picture in the canvas: unlocking the surface copies
// the memory the program draws in to the canvas. A frame is drawn whole
// between clear and flip, so the surface stays locked for exactly that span,
// and the clear paints that memory itself: nothing is ever read back from
// the canvas, and the picture goes to it once a frame.
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
