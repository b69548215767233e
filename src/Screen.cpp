#include "Screen.h"

#include <SDL.h>

#include "StartupError.h"

namespace {
constexpr const char* kScreenshotFile = "screenshot.bmp";
}

std::string Screen::modeError(std::int32_t width, std::int32_t height) {
  return "Couldn't set video mode to " + std::to_string(width) + "x" + std::to_string(height);
}

// Depth 0: the display's own; flags 0: a software surface in a window.
Screen::Screen(const std::string& caption, std::int32_t width, std::int32_t height)
    : surface(SDL_SetVideoMode(width, height, 0, 0)) {
  if (surface == nullptr) throw StartupError(modeError(width, height));
  SDL_WM_SetCaption(caption.c_str(), nullptr);
}

void Screen::clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, r, g, b));
}

void Screen::flip() { SDL_Flip(surface); }

void Screen::toggleFullScreen() {
  const int w = surface->w;
  const int h = surface->h;
  const int depth = surface->format->BitsPerPixel;
  const Uint32 flags = surface->flags;

  SDL_Surface* copy = SDL_ConvertSurface(surface, surface->format, surface->flags);
  if (copy != nullptr) SDL_BlitSurface(surface, nullptr, copy, nullptr);

  surface = SDL_SetVideoMode(w, h, depth, flags ^ SDL_FULLSCREEN);
  if (surface == nullptr) {
    // Refused: stay in the mode we had. If even that is gone there is no
    // surface left to draw on, and the program cannot go on.
    surface = SDL_SetVideoMode(w, h, depth, flags);
    if (surface == nullptr) {
      if (copy != nullptr) SDL_FreeSurface(copy);
      throw StartupError(modeError(w, h));
    }
  }

  if (copy != nullptr) {
    SDL_BlitSurface(copy, nullptr, surface, nullptr);
    SDL_FreeSurface(copy);
  }
}

void Screen::toggleCursor() {
  const int shown = SDL_ShowCursor(SDL_QUERY);
  SDL_ShowCursor(shown == 1 ? SDL_DISABLE : SDL_ENABLE);
}

void Screen::saveScreenshot() { SDL_SaveBMP(surface, kScreenshotFile); }

void Screen::iconify() { SDL_WM_IconifyWindow(); }
