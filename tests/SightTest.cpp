#include "Sight.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "GameFixture.h"

namespace {

constexpr std::uint8_t kL = SDL_BUTTON(SDL_BUTTON_LEFT);
constexpr std::uint8_t kM = SDL_BUTTON(SDL_BUTTON_MIDDLE);
constexpr std::uint8_t kR = SDL_BUTTON(SDL_BUTTON_RIGHT);

struct Motion {
  int dx, dy;
  std::uint8_t buttons;
};

struct PanCase {
  const char* name;
  std::vector<Motion> frames;
  int x, y;
};

class SightPan : public ::testing::TestWithParam<PanCase> {
 protected:
  void SetUp() override { FakeInput::install(); }
  void TearDown() override { FakeInput::uninstall(); }
};

TEST_P(SightPan, AddsTheMotionOfFramesWithTheLeftButtonDown) {
  const auto& c = GetParam();
  Sight sight(0, 0);
  for (const auto& f : c.frames) {
    FakeInput::dx += f.dx;
    FakeInput::dy += f.dy;
    FakeInput::buttons = f.buttons;
    sight.move();
  }
  EXPECT_EQ(sight.x, c.x) << c.name;
  EXPECT_EQ(sight.y, c.y) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SightPan,
    ::testing::Values(PanCase{"drag", {{0, 0, kL}, {10, 5, kL}}, 10, 5},
                      PanCase{"held still", {{0, 0, kL}, {0, 0, kL}, {0, 0, kL}}, 0, 0},
                      PanCase{"motion before the press is used up", {{40, -7, 0}, {0, 0, kL}}, 0, 0},
                      PanCase{"the press frame's motion counts whole", {{0, 0, 0}, {6, 2, kL}}, 6, 2},
                      PanCase{"right drag", {{0, 0, kR}, {10, 5, kR}}, 0, 0},
                      PanCase{"middle drag", {{0, 0, kM}, {10, 5, kM}}, 0, 0},
                      PanCase{"left with right", {{3, 4, kL | kR}}, 3, 4},
                      PanCase{"there and back", {{40000, -40000, kL}, {-40000, 40000, kL}}, 0, 0}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return n;
    });

TEST(Sight, StartsWhereItIsToldAndStopsAtItsLimit) {
  FakeInput::install();
  Sight sight(-3, 7);
  EXPECT_EQ(sight.x, -3);
  EXPECT_EQ(sight.y, 7);
  FakeInput::buttons = kL;
  for (int i = 0; i < 2000; ++i) {
    FakeInput::dx = 1 << 20;
    FakeInput::dy = -(1 << 20);
    sight.move();
  }
  EXPECT_EQ(sight.x, Sight::kLimit);
  EXPECT_EQ(sight.y, -Sight::kLimit);
  FakeInput::dx = -5;
  sight.move();
  EXPECT_EQ(sight.x, Sight::kLimit - 5);
  FakeInput::uninstall();
}

using SightInGame = GameTest;

TEST_F(SightInGame, DraggingMovesTheDrawnWorldWithTheCursor) {
  runFrames(1);
  SDL_Surface* before = makeSurface32();
  SDL_BlitSurface(canvas, nullptr, before, nullptr);
  // Anchor 0's core at (128, 414) before the drag.
  EXPECT_EQ(pixelAt(before, 128, 414), (Rgb{206, 101, 0}));
  runFrames(3, [](int k) {
    FakeInput::buttons = k < 2 ? 1 : 0;
    if (k == 1) FakeInput::moveTo(10, 5);
  });
  EXPECT_EQ(game->sight->x, 10);
  EXPECT_EQ(game->sight->y, 5);
  EXPECT_EQ(pixelAt(canvas, 138, 419), (Rgb{206, 101, 0}));
  // Column 121 lies between two terrain dashes: inside the anchor's core
  // before the drag, clear of it after.
  EXPECT_EQ(pixelAt(before, 121, 414), (Rgb{206, 101, 0}));
  EXPECT_EQ(pixelAt(canvas, 121, 414), kGrey);
  SDL_FreeSurface(before);
}

}  // namespace
