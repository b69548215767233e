#pragma once

#include <SDL.h>
#include <SDL_gfxPrimitives.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "Platform.h"
#include "Screen.h"
#include "Tavelond.h"

// A scripted mouse and clock behind the platform seam. The cursor is moved
// with moveTo, which also accumulates the motion the next relative read
// reports, as SDL does.
struct FakeInput {
  static inline int x = 0;
  static inline int y = 0;
  static inline int dx = 0;
  static inline int dy = 0;
  static inline std::uint8_t buttons = 0;
  static inline std::uint32_t now = 0;               // what ticks() reads
  static inline std::deque<std::uint32_t> readings;  // scripted ticks, read before `now`
  static inline std::vector<std::uint32_t> delays;   // every delay asked for
  static inline std::function<void()> onDelay;       // runs at the end of each frame's wait

  static std::uint8_t mouse(int* px, int* py) {
    if (px != nullptr) *px = x;
    if (py != nullptr) *py = y;
    return buttons;
  }
  static std::uint8_t relative(int* pdx, int* pdy) {
    if (pdx != nullptr) *pdx = dx;
    if (pdy != nullptr) *pdy = dy;
    dx = 0;
    dy = 0;
    return buttons;
  }
  static std::uint32_t ticks() {
    if (!readings.empty()) {
      now = readings.front();
      readings.pop_front();
    }
    return now;
  }
  static void delay(std::uint32_t ms) {
    delays.push_back(ms);
    if (onDelay) onDelay();
  }
  static void moveTo(int nx, int ny) {
    dx += nx - x;
    dy += ny - y;
    x = nx;
    y = ny;
  }

  static void install() {
    x = y = dx = dy = 0;
    buttons = 0;
    now = 0;
    readings.clear();
    delays.clear();
    onDelay = nullptr;
    platform::mouseState = mouse;
    platform::relativeMouseState = relative;
    platform::ticks = ticks;
    platform::delay = delay;
  }
  static void uninstall() {
    onDelay = nullptr;
    platform::mouseState = SDL_GetMouseState;
    platform::relativeMouseState = SDL_GetRelativeMouseState;
    platform::ticks = SDL_GetTicks;
    platform::delay = SDL_Delay;
  }
};

inline std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

// Bit-for-bit float comparison; the expectation is given as the decimal
// value of the single-precision float.
#define EXPECT_FLOAT_BITS(actual, expected) \
  EXPECT_EQ(bits(actual), bits(static_cast<float>(expected))) << (actual) << " vs " << (expected)

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

inline SDL_Surface* makeSurface32(int w = Tavelond::kWidth, int h = Tavelond::kHeight) {
  return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}

inline Rgb pixelAt(SDL_Surface* s, int x, int y) {
  const auto* row = static_cast<const std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch;
  std::uint32_t p = 0;
  std::memcpy(&p, row + static_cast<std::ptrdiff_t>(x) * s->format->BytesPerPixel, s->format->BytesPerPixel);
  Rgb c;
  SDL_GetRGB(p, s->format, &c.r, &c.g, &c.b);
  return c;
}

inline void fill(SDL_Surface* s, Rgb c) { SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, c.r, c.g, c.b)); }

// Number of pixels that differ between two surfaces of the same size.
inline int differingPixels(SDL_Surface* a, SDL_Surface* b) {
  int n = 0;
  for (int y = 0; y < a->h; ++y)
    for (int x = 0; x < a->w; ++x) n += pixelAt(a, x, y) == pixelAt(b, x, y) ? 0 : 1;
  return n;
}

inline int pixelsNot(SDL_Surface* s, Rgb c) {
  int n = 0;
  for (int y = 0; y < s->h; ++y)
    for (int x = 0; x < s->w; ++x) n += pixelAt(s, x, y) == c ? 0 : 1;
  return n;
}

constexpr Rgb kGrey{64, 64, 64};

// A key press (or release) as SDL queues it.
inline SDL_Event keyEvent(SDLKey key, Uint8 type = SDL_KEYDOWN, SDLMod mod = KMOD_NONE) {
  SDL_Event e{};
  e.type = type;
  e.key.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = key;
  e.key.keysym.mod = mod;
  return e;
}

inline void pushKey(SDLKey key, SDLMod mod = KMOD_NONE, Uint8 type = SDL_KEYDOWN) {
  SDL_Event e = keyEvent(key, type, mod);
  SDL_PushEvent(&e);
}

// A whole game on the dummy video driver, drawing into a 32-bit surface of
// the test's own, with the scripted mouse and clock.
class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    FakeInput::install();
    game = std::make_unique<Tavelond>();
    video = game->screen->surface;
    canvas = makeSurface32();
    game->screen->surface = canvas;
    fill(canvas, kGrey);
  }
  void TearDown() override {
    if (game) game->screen->surface = video;
    SDL_FreeSurface(canvas);
    game.reset();
    FakeInput::uninstall();
  }

  // Runs the real frame loop for n frames. Before frame k, input(k) sets up
  // the mouse; after the last frame an Escape ends the loop.
  void runFrames(int n, const std::function<void(int)>& input = {}) {
    int frame = 0;
    if (input) input(0);
    FakeInput::onDelay = [&] {
      if (++frame == n) {
        pushKey(SDLK_ESCAPE);
      } else if (input) {
        input(frame);
      }
    };
    game->run();
    FakeInput::onDelay = nullptr;
  }

  std::unique_ptr<Tavelond> game;
  SDL_Surface* video = nullptr;   // the dummy driver's own surface
  SDL_Surface* canvas = nullptr;  // 32-bit, what the tests look at
};
