#include "WebScreen.h"

#include <SDL.h>
#include <emscripten/emscripten.h>

#include <algorithm>
#include <bit>
#include <cstddef>

// The page's side of the keys, defined by the page (src/web/shell.html).
// A page without it (another shell) just ignores the keys.
EM_JS(void, callPage, (const char* name), {
  const f = Module['page'] && Module['page'][UTF8ToString(name)];
  if (f) f();
});

// The surface's memory is never read back from the canvas on a lock: every
// frame paints all of it (WebScreen::clear).
EM_JS(void, discardOnLock, (), { SDL.defaults.discardOnLock = true; });

namespace {
constexpr int kChannelBits = 8;  // bits of a channel in a full 8-bit mask

void setChannel(Uint32 mask, Uint8& shift, Uint8& loss) {
  if (mask == 0) {
    shift = 0;
    loss = kChannelBits;
    return;
  }
  shift = static_cast<Uint8>(std::countr_zero(mask));
  loss = static_cast<Uint8>(kChannelBits - std::popcount(mask));
}
}  // namespace

void WebScreen::completeFormat(SDL_Surface* surface) {
  SDL_PixelFormat& f = *surface->format;
  setChannel(f.Rmask, f.Rshift, f.Rloss);
  setChannel(f.Gmask, f.Gshift, f.Gloss);
  setChannel(f.Bmask, f.Bshift, f.Bloss);
  setChannel(f.Amask, f.Ashift, f.Aloss);
}

WebScreen::WebScreen(const std::string& caption, std::int32_t width, std::int32_t height)
    : Screen(caption, width, height) {
  completeFormat(surface);
  discardOnLock();
}

// The same pixels as SDL_FillRect with the same colour, written where the
// frame is drawn rather than into the canvas.
void WebScreen::clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  SDL_LockSurface(surface);
  const Uint32 colour = SDL_MapRGB(surface->format, r, g, b);
  auto* pixels = static_cast<Uint32*>(surface->pixels);
  const auto perRow = static_cast<std::size_t>(surface->pitch) / sizeof(Uint32);
  for (int y = 0; y < surface->h; ++y) {
    std::fill_n(pixels + static_cast<std::size_t>(y) * perRow, surface->w, colour);
  }
}

void WebScreen::flip() {
  SDL_UnlockSurface(surface);
  Screen::flip();
}

// The canvas keeps its size and picture; the page scales it to the screen.
void WebScreen::toggleFullScreen() { callPage("toggleFullscreen"); }

void WebScreen::toggleCursor() { callPage("toggleCursor"); }

// Between frames the canvas holds the picture of the previous frame.
void WebScreen::saveScreenshot() { callPage("savePicture"); }

// A page cannot minimise its browser window.
void WebScreen::iconify() {}
