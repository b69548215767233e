#include "Ground.h"

#include <gtest/gtest.h>

#include <cmath>

#include "GameFixture.h"

namespace {

using GroundTest = GameTest;

TEST_F(GroundTest, HeightTable) {
  const struct {
    float x;
    double h;
  } cases[] = {{0, 402.967255},   {128, 414.416990}, {256, 458.464459}, {384, 365.425469}, {512, 380.378684},
               {640, 333.120942}, {-4, 398.076083},  {4, 407.756038},   {8, 411.493848}};
  for (const auto& c : cases) EXPECT_NEAR(game->ground->height(c.x), c.h, 5e-7) << c.x;
}

TEST_F(GroundTest, HeightIsUnroundedAndBoundedEverywhere) {
  // Not rounded to a float: the anchors' resting heights depend on it.
  EXPECT_NE(game->ground->height(128), static_cast<double>(static_cast<float>(game->ground->height(128))));
  for (int i = -400000; i <= 400000; i += 29) {
    const float x = static_cast<float>(i) / 4;  // steps of 7.25 pixels
    const double h = game->ground->height(x);
    ASSERT_GE(h, 306.0) << x;
    ASSERT_LE(h, 474.0) << x;
  }
}

// White pixels in column x.
int whiteInColumn(SDL_Surface* s, int x) {
  int n = 0;
  for (int y = 0; y < s->h; ++y) n += pixelAt(s, x, y) == kGrey ? 0 : 1;
  return n;
}

TEST_F(GroundTest, DrawsFourPixelDashesEveryEightPixels) {
  game->ground->draw(0, 0);
  for (int x = 0; x < canvas->w; ++x) {
    const bool gap = x % 8 >= 1 && x % 8 <= 3;
    EXPECT_EQ(whiteInColumn(canvas, x) == 0, gap) << "column " << x;
  }
}

TEST_F(GroundTest, SegmentsFollowTheTruncatedHeightsUnderTheOffset) {
  // The listed segments, drawn directly, must be exactly what the terrain drew
  // in their columns.
  const struct {
    int ox, oy;
    int x1, y1, x2, y2;
  } cases[] = {{0, 0, -4, 398, 0, 402},
               {0, 0, 4, 407, 8, 411},
               {0, 0, 12, 413, 16, 413},
               {0, 0, 636, 332, 640, 333},
               {100, -50, -4, 314, 0, 317}};
  for (const auto& c : cases) {
    fill(canvas, kGrey);
    game->ground->draw(c.ox, c.oy);
    SDL_Surface* expected = makeSurface32();
    fill(expected, kGrey);
    aalineRGBA(expected, static_cast<Sint16>(c.x1), static_cast<Sint16>(c.y1), static_cast<Sint16>(c.x2),
               static_cast<Sint16>(c.y2), 255, 255, 255, 255);
    for (int x = std::max(c.x1, 0); x <= std::min(c.x2, canvas->w - 1); ++x) {
      for (int y = 0; y < canvas->h; ++y) {
        ASSERT_EQ(pixelAt(canvas, x, y), pixelAt(expected, x, y)) << x << "," << y << " offset " << c.ox;
      }
    }
    SDL_FreeSurface(expected);
  }
}

TEST_F(GroundTest, SidewaysPanSlidesTheProfileUnderFixedDashes) {
  game->ground->draw(0, 0);
  SDL_Surface* still = makeSurface32();
  SDL_BlitSurface(canvas, nullptr, still, nullptr);
  fill(canvas, kGrey);
  game->ground->draw(8, 0);
  // The dash columns stay put, but the profile under them moved.
  for (int x = 0; x < canvas->w; ++x) EXPECT_EQ(whiteInColumn(canvas, x) == 0, whiteInColumn(still, x) == 0);
  EXPECT_GT(differingPixels(canvas, still), 100);
  // Panning down by 10 moves every dash down by exactly 10.
  fill(canvas, kGrey);
  game->ground->draw(0, 10);
  for (int y = 0; y + 10 < canvas->h; ++y)
    for (int x = 0; x < canvas->w; ++x) ASSERT_EQ(pixelAt(canvas, x, y + 10), pixelAt(still, x, y));
  SDL_FreeSurface(still);
}

TEST_F(GroundTest, AFarVerticalPanDrawsNothing) {
  for (int oy : {40000, -40000, 1 << 30}) {
    fill(canvas, kGrey);
    game->ground->draw(0, oy);
    EXPECT_EQ(pixelsNot(canvas, kGrey), 0) << oy;
  }
}

}  // namespace
