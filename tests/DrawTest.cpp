// What one frame paints, checked pixel by pixel against the same SDL_gfx
// calls made by hand at the screen coordinates the picture must have.
#include <SDL_gfxPrimitives.h>
#include <gtest/gtest.h>

#include <limits>

#include "Constructer.h"
#include "GameFixture.h"
#include "Ground.h"
#include "Joint.h"
#include "StaticJoint.h"
#include "Tower.h"

namespace {

constexpr Rgb kOrange{206, 101, 0};
constexpr Rgb kRed{240, 0, 0};

class DrawTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    expected = makeSurface32();
    fill(expected, kGrey);
  }
  void TearDown() override {
    SDL_FreeSurface(expected);
    GameTest::TearDown();
  }
  void expectSame() {
    EXPECT_EQ(differingPixels(canvas, expected), 0);
    EXPECT_GT(pixelsNot(canvas, kGrey), 0);  // something was drawn at all
  }
  SDL_Surface* expected = nullptr;
};

TEST_F(DrawTest, AJointIsAnOrangeDiscTruncatedTowardZeroAndOffset) {
  Joint(-3.7f, 10.9f).draw(5, -2);
  filledCircleRGBA(expected, 2, 8, 12, 206, 101, 0, 255);
  aacircleRGBA(expected, 2, 8, 12, 206, 101, 0, 255);
  expectSame();
  EXPECT_EQ(pixelAt(canvas, 2, 8), kOrange);
  EXPECT_EQ(pixelAt(canvas, 2 + 13, 8), kGrey);
}

TEST_F(DrawTest, AnAnchorIsAnOrangeCoreInARedRim) {
  StaticJoint(200.99f, 100.5f).draw(-1, 1);
  filledCircleRGBA(expected, 199, 101, 12, 240, 0, 0, 255);
  aacircleRGBA(expected, 199, 101, 12, 240, 0, 0, 255);
  filledCircleRGBA(expected, 199, 101, 9, 206, 101, 0, 255);
  aacircleRGBA(expected, 199, 101, 9, 206, 101, 0, 255);
  expectSame();
  EXPECT_EQ(pixelAt(canvas, 199, 101), kOrange);
  EXPECT_EQ(pixelAt(canvas, 199 + 11, 101), kRed);
}

TEST_F(DrawTest, JointsOutsideTheWindowOrNotFiniteDrawNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Vector far[] = {{65836, 240}, {300, 240 + 65536}, {nan, 240},
                        {inf, -inf},  {3e38f, 3e38f},     {-1e10f, 240}};
  for (const Vector p : far) {
    Joint(p.x, p.y).draw(0, 0);
    StaticJoint(p.x, p.y).draw(0, 0);
  }
  Joint(300, 240).draw(INT32_MAX, 0);
  Joint(300, 240).draw(0, INT32_MIN);
  EXPECT_EQ(pixelsNot(canvas, kGrey), 0);
}

TEST_F(DrawTest, OneSelectedJointGetsARingAndNoPreview) {
  Constructer& tool = *game->constructer;
  tool.first = game->tower->joints[0].get();  // anchor at (128, 414)
  tool.count = 30;                            // alpha 143
  FakeInput::x = 400;
  FakeInput::y = 100;
  tool.draw(3, 4);
  aacircleRGBA(expected, 131, 418, 12, 255, 255, 255, 143);
  expectSame();
}

TEST_F(DrawTest, TwoSelectedShowLinesFromTheCursorAndThreeRings) {
  Constructer& tool = *game->constructer;
  tool.first = game->tower->joints[0].get();   // (128, 414)
  tool.second = game->tower->joints[2].get();  // (384, 365)
  tool.count = 1;                              // alpha 35
  FakeInput::x = 250;
  FakeInput::y = 100;
  tool.draw(-20, 10);
  // The cursor end stays in window pixels; only the joint ends are offset.
  aalineRGBA(expected, 250, 100, 108, 424, 255, 255, 255, 128);
  aalineRGBA(expected, 250, 100, 364, 375, 255, 255, 255, 128);
  aacircleRGBA(expected, 250, 100, 12, 255, 255, 255, 35);
  aacircleRGBA(expected, 108, 424, 12, 255, 255, 255, 35);
  aacircleRGBA(expected, 364, 375, 12, 255, 255, 255, 35);
  expectSame();
}

TEST_F(DrawTest, TheSameJointSelectedTwiceIsBlendedTwice) {
  Constructer& tool = *game->constructer;
  tool.first = tool.second = game->tower->joints[1].get();  // (256, 458)
  tool.count = 60;                                          // alpha 223
  FakeInput::x = 20;
  FakeInput::y = 20;
  tool.draw(0, 0);
  for (int i = 0; i < 2; ++i) aalineRGBA(expected, 20, 20, 256, 458, 255, 255, 255, 128);
  aacircleRGBA(expected, 20, 20, 12, 255, 255, 255, 223);
  for (int i = 0; i < 2; ++i) aacircleRGBA(expected, 256, 458, 12, 255, 255, 255, 223);
  expectSame();
}

TEST_F(DrawTest, AFrameLaysTerrainThenTowerThenToolOverGrey) {
  fill(canvas, {1, 2, 3});
  Constructer& tool = *game->constructer;
  FakeInput::x = 129;
  FakeInput::y = 414;
  FakeInput::buttons = 1;
  runFrames(1);  // frame 1: the click selects anchor 0 and the count is 1
  ASSERT_EQ(tool.first, game->tower->joints[0].get());

  // The same layers by hand: terrain dashes, anchors, the selection ring.
  game->screen->surface = expected;
  game->ground->draw(0, 0);
  for (const auto& j : game->tower->joints) j->draw(0, 0);
  aacircleRGBA(expected, 128, 414, 12, 255, 255, 255, Constructer::pulseAlpha(1));
  game->screen->surface = canvas;
  expectSame();
}

}  // namespace
