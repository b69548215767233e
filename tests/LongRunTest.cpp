// What a very long run reaches: the frame counter and the tick counter wrap,
// and a long drag takes the view offset to its limit. Each is driven through
// the real frame loop.

#include <SDL.h>
#include <SDL_gfxPrimitives.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "Constructer.h"
#include "GameFixture.h"
#include "Joint.h"
#include "Sight.h"
#include "Tower.h"

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

std::string signedName(std::int64_t v) { return (v < 0 ? "Minus" : "") + std::to_string(v < 0 ? -v : v); }

// ---- The pulse across the frame counter's wrap --------------------------

struct PulseCase {
  std::int32_t before;  // count at the start of the frame
  std::uint8_t alpha;   // alpha of the ring that frame draws, with count + 1
};

std::ostream& operator<<(std::ostream& os, const PulseCase& c) {
  return os << "count " << c.before << " + 1 draws alpha " << int(c.alpha);
}

class PulseWrap : public GameTest, public ::testing::WithParamInterface<PulseCase> {};

SDL_Surface* copyOf(SDL_Surface* s) { return SDL_ConvertSurface(s, s->format, s->flags); }

TEST_P(PulseWrap, RingOnTheSelectedJointCarriesTheWrappedAlpha) {
  constexpr int kSettle = 5;  // frames for the anchors to come to rest
  const Joint& anchor = *game->tower->joints.front();
  SDL_Surface* still = nullptr;  // the settled picture, nothing selected
  int ax = 0;
  int ay = 0;

  runFrames(kSettle + 3, [&](int frame) {
    if (frame == kSettle) {
      still = copyOf(canvas);
      ax = static_cast<int>(std::trunc(anchor.pos.x));
      ay = static_cast<int>(std::trunc(anchor.pos.y));
      FakeInput::moveTo(ax, ay);  // no button yet: this motion does not pan
    } else if (frame == kSettle + 1) {
      FakeInput::buttons = SDL_BUTTON(SDL_BUTTON_LEFT);  // selects the anchor
    } else if (frame == kSettle + 2) {
      FakeInput::buttons = 0;
      game->constructer->count = GetParam().before;
    }
  });
  ASSERT_NE(still, nullptr);
  ASSERT_EQ(game->constructer->first, &anchor);
  ASSERT_EQ(game->constructer->second, nullptr);
  EXPECT_EQ(game->constructer->count,
            static_cast<std::int32_t>(static_cast<std::uint32_t>(GetParam().before) + 1u));

  // The settled picture with one white ring of the expected alpha on the
  // anchor is exactly what the last frame shows; one a few steps of alpha
  // away is not.
  const auto withRing = [&](int alpha) {
    SDL_Surface* s = copyOf(still);
    aacircleRGBA(s, static_cast<Sint16>(ax), static_cast<Sint16>(ay), Constructer::kPulseRadius, 255, 255,
                 255, static_cast<Uint8>(alpha));
    return s;
  };
  SDL_Surface* expected = withRing(GetParam().alpha);
  SDL_Surface* brighter = withRing(GetParam().alpha + 4);
  EXPECT_EQ(differingPixels(canvas, expected), 0);
  EXPECT_GT(differingPixels(canvas, brighter), 0);
  SDL_FreeSurface(brighter);
  SDL_FreeSurface(expected);
  SDL_FreeSurface(still);
}

INSTANTIATE_TEST_SUITE_P(Counter, PulseWrap,
                         ::testing::Values(PulseCase{kMax - 1, 58},  // 2^31 - 1: 7 into a period
                                           PulseCase{kMax, 2},       // wraps to -2^31: rem 120 is -8
                                           PulseCase{-2, 28},        // -1
                                           PulseCase{-60, 69},       // -59: T = -187, low byte 69
                                           PulseCase{-1, 32}),       // back to 0
                         [](const auto& info) { return "From" + signedName(info.param.before); });

// ---- The frame wait across the tick counter's wrap ----------------------

struct WaitCase {
  std::uint32_t start;    // ticks read when the loop starts
  std::uint32_t reading;  // ticks read when the frame's work is done
  std::vector<std::uint32_t> delays;
};

std::ostream& operator<<(std::ostream& os, const WaitCase& c) {
  return os << "from " << c.start << " to " << c.reading;
}

// The clock reads the script in order; once it is used up, Escape ends the
// loop at the next frame's events.
struct ScriptedClock {
  static inline std::vector<std::uint32_t> script;
  static inline std::size_t next = 0;
  static std::uint32_t ticks() {
    const std::uint32_t t = script[std::min(next, script.size() - 1)];
    if (++next == script.size()) {
      SDL_Event e{};
      e.type = SDL_KEYDOWN;
      e.key.keysym.sym = SDLK_ESCAPE;
      SDL_PushEvent(&e);
    }
    return t;
  }
};

class TickWrap : public GameTest, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(TickWrap, OneFrameWaitsOutTheRestOf16Ms) {
  const WaitCase& c = GetParam();
  constexpr std::uint32_t kAfterWait = 12345;  // the reading after the wait
  ScriptedClock::script = {c.start, c.reading, kAfterWait};
  ScriptedClock::next = 0;
  platform::ticks = ScriptedClock::ticks;

  game->run();

  EXPECT_EQ(ScriptedClock::next, 3u);  // one frame: the start, and two readings in its wait
  EXPECT_EQ(FakeInput::delays, c.delays);
  EXPECT_EQ(game->ticks, kAfterWait);
}

constexpr std::uint32_t kTop = std::numeric_limits<std::uint32_t>::max();

INSTANTIATE_TEST_SUITE_P(Ticks, TickWrap,
                         ::testing::Values(WaitCase{kTop - 7, 2, {6}},           // 2^32 - 8 to 2: 10 ms gone
                                           WaitCase{kTop, 14, {1}},              // 15 ms gone across the wrap
                                           WaitCase{kTop - 15, 0, {}},           // exactly 16 ms
                                           WaitCase{kTop - 15, 16, {}},          // 32 ms: no catching up
                                           WaitCase{kTop - 9, kTop - 9, {16}}),  // nothing gone
                         [](const auto& info) {
                           return "Start" + std::to_string(info.param.start) + "Reading" +
                                  std::to_string(info.param.reading);
                         });

// ---- The view offset at its limit ---------------------------------------

class FarPan : public GameTest {};

TEST_F(FarPan, SaturatesAndThePlayGoesOn) {
  constexpr int kHuge = kMax;  // pixels of motion in one frame, as far as SDL can report
  std::vector<std::pair<std::int32_t, std::int32_t>> offsets;
  const std::vector<std::pair<int, int>> drags = {{kHuge, -kHuge}, {kHuge, -kHuge}, {-kHuge, kHuge},
                                                  {kMin, kMin},    {kMin, kMin},    {10, Sight::kLimit}};
  runFrames(static_cast<int>(drags.size()) + 1, [&](int frame) {
    if (frame > 0) offsets.emplace_back(game->sight->x, game->sight->y);
    if (frame < static_cast<int>(drags.size())) {
      FakeInput::buttons = SDL_BUTTON(SDL_BUTTON_LEFT);
      FakeInput::dx = drags[static_cast<std::size_t>(frame)].first;
      FakeInput::dy = drags[static_cast<std::size_t>(frame)].second;
    } else {
      FakeInput::buttons = 0;
    }
  });
  constexpr std::int32_t kL = Sight::kLimit;
  const std::vector<std::pair<std::int32_t, std::int32_t>> expected = {
      {kL, -kL}, {kL, -kL}, {-kL + 1, kL - 1}, {-kL, -kL}, {-kL, -kL}, {-kL + 10, 0}};
  EXPECT_EQ(offsets, expected);
  // Back at height, the terrain a billion pixels along is drawn as usual.
  EXPECT_GT(pixelsNot(canvas, kGrey), 0);
}

}  // namespace
