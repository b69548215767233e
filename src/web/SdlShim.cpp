// SDL 1.2 functions that emscripten's SDL declares but leaves out (relative
// mouse state), implements by throwing, which would stop the page (saving a
// bitmap, minimising), or implements in JavaScript where SDL_gfx calls it for
// every primitive (mapping a colour). Defined here, they replace emscripten's
// versions at link time.
#include <SDL.h>

extern "C" {

// Motion since the previous call, from the cursor position: the same as the
// sum of the motion events in between, which is what SDL 1.2 reports.
Uint8 SDL_GetRelativeMouseState(int* dx, int* dy) {
  static bool seen = false;
  static int lastX = 0;
  static int lastY = 0;
  int x = 0;
  int y = 0;
  const Uint8 buttons = SDL_GetMouseState(&x, &y);
  if (!seen) {
    seen = true;
    lastX = x;
    lastY = y;
  }
  if (dx != nullptr) *dx = x - lastX;
  if (dy != nullptr) *dy = y - lastY;
  lastX = x;
  lastY = y;
  return buttons;
}

// A page has no working directory to write into; WebScreen downloads a PNG
// instead. Reports failure as SDL does for a file it cannot write.
int SDL_SaveBMP_RW(SDL_Surface*, SDL_RWops* dst, int freedst) {
  if (dst != nullptr && freedst != 0) SDL_FreeRW(dst);
  SDL_SetError("no files in a web page");
  return -1;
}

// Packs a colour by the format's masks, shifts and losses, as SDL 1.2 does;
// WebScreen::completeFormat has set the shifts that emscripten leaves at 0.
Uint32 SDL_MapRGBA(const SDL_PixelFormat* format, Uint8 r, Uint8 g, Uint8 b, Uint8 a) {
  const SDL_PixelFormat& f = *format;
  return static_cast<Uint32>(r >> f.Rloss) << f.Rshift | static_cast<Uint32>(g >> f.Gloss) << f.Gshift |
         static_cast<Uint32>(b >> f.Bloss) << f.Bshift |
         (static_cast<Uint32>(a >> f.Aloss) << f.Ashift & f.Amask);
}

// A page cannot minimise the browser: refused, as a window manager may.
int SDL_WM_IconifyWindow() { return 0; }

}  // extern "C"
