#include "Canvas.h"

#include <SDL_gfxPrimitives.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "GameFixture.h"

namespace {

constexpr canvas::Colour kWhite{255, 255, 255, 255};
constexpr double kInf = std::numeric_limits<double>::infinity();

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s = makeSurface32();
    raw = makeSurface32();
    fill(s, kGrey);
    fill(raw, kGrey);
  }
  void TearDown() override {
    SDL_FreeSurface(s);
    SDL_FreeSurface(raw);
  }
  SDL_Surface* s = nullptr;    // drawn through the canvas
  SDL_Surface* raw = nullptr;  // drawn straight with SDL_gfx
};

TEST(CanvasToInt, TruncatesTowardZeroOrRefuses) {
  const struct {
    double v = 0;
    std::optional<std::int32_t> i;
  } cases[] = {{-3.7, -3},
               {3.9, 3},
               {-0.5, 0},
               {2147483647.9, 2147483647},
               {-2147483648.9, INT32_MIN},
               {2147483648.0, std::nullopt},
               {-2147483649.0, std::nullopt},
               {1e30, std::nullopt},
               {kInf, std::nullopt},
               {-kInf, std::nullopt},
               {std::nan(""), std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(canvas::toInt<std::int32_t>(c.v), c.i) << c.v;
  EXPECT_EQ(canvas::toInt<Sint16>(32767.5), 32767);
  EXPECT_EQ(canvas::toInt<Sint16>(32768.0), std::nullopt);
}

TEST(CanvasToScreen, AddsTheOffsetToTheTruncatedCoordinateWithoutOverflow) {
  EXPECT_EQ(canvas::toScreen(-3.7f, 5), 2.0);
  EXPECT_EQ(canvas::toScreen(10.9f, -2), 8.0);
  EXPECT_EQ(canvas::toScreen(2147483520.0f, INT32_MAX), 2147483520.0 + INT32_MAX);
  EXPECT_TRUE(std::isnan(canvas::toScreen(std::nanf(""), 0)));
}

// Ends beyond 16 bits used to wrap onto the window: these are the cases as
// seen with SDL_gfx on its own.
TEST_F(CanvasTest, CoordinatesBeyondSixteenBitsNeverWrapOntoTheSurface) {
  // A line entirely to the right of the window.
  aalineRGBA(raw, 32767, 240, static_cast<Sint16>(32817), 260, 255, 255, 255, 255);
  EXPECT_GT(pixelsNot(raw, kGrey), 1000);  // wrapped across the window
  canvas::line(s, 32767, 240, 32817, 260, kWhite);
  EXPECT_EQ(pixelsNot(s, kGrey), 0);

  // A line running right off the window keeps running right.
  canvas::line(s, 300, 240, 33000, 240, kWhite);
  for (int x = 0; x < 640; ++x) EXPECT_EQ(pixelAt(s, x, 240) == kGrey, x < 300) << x;
  EXPECT_EQ(pixelsNot(s, kGrey), 340);

  // A disc far to the right does not turn up at x = 65836 - 65536.
  fill(s, kGrey);
  canvas::disc(s, 65836, 240, 12, kWhite);
  canvas::ring(s, 65836, 240, 12, kWhite);
  canvas::disc(s, 300, 240 + 65536, 12, kWhite);
  EXPECT_EQ(pixelsNot(s, kGrey), 0);
}

TEST_F(CanvasTest, ALongLineThroughTheWindowKeepsItsCourse) {
  // From far up-left to far down-right, crossing the window on y = x - 100.
  canvas::line(s, -1e6, -1e6 - 100, 1e6, 1e6 - 100, kWhite);
  aalineRGBA(raw, -1000, -1100, 1000, 900, 255, 255, 255, 255);
  EXPECT_EQ(differingPixels(s, raw), 0);
}

TEST_F(CanvasTest, NonFiniteCoordinatesDrawNothing) {
  const double nan = std::nan("");
  canvas::line(s, nan, 10, 100, 100, kWhite);
  canvas::line(s, 10, 10, kInf, 100, kWhite);
  canvas::line(s, 10, 10, 100, -kInf, kWhite);
  canvas::ring(s, nan, 10, 12, kWhite);
  canvas::disc(s, 10, kInf, 12, kWhite);
  EXPECT_EQ(pixelsNot(s, kGrey), 0);
}

TEST_F(CanvasTest, InRangeCallsPaintExactlyWhatSdlGfxPaints) {
  // Random primitives around and across the edges: culling must not lose a
  // single blended pixel.
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> xs(-80, 720);
  std::uniform_int_distribution<int> ys(-80, 560);
  std::uniform_int_distribution<int> rs(1, 40);
  std::uniform_int_distribution<int> cs(0, 255);
  for (int i = 0; i < 400; ++i) {
    const int x1 = xs(rng);
    const int y1 = ys(rng);
    const int x2 = xs(rng);
    const int y2 = ys(rng);
    const int r = rs(rng);
    const canvas::Colour c{static_cast<std::uint8_t>(cs(rng)), static_cast<std::uint8_t>(cs(rng)),
                           static_cast<std::uint8_t>(cs(rng)), static_cast<std::uint8_t>(cs(rng))};
    canvas::line(s, x1, y1, x2, y2, c);
    aalineRGBA(raw, static_cast<Sint16>(x1), static_cast<Sint16>(y1), static_cast<Sint16>(x2),
               static_cast<Sint16>(y2), c.r, c.g, c.b, c.a);
    canvas::ring(s, x2, y1, static_cast<Sint16>(r), c);
    aacircleRGBA(raw, static_cast<Sint16>(x2), static_cast<Sint16>(y1), static_cast<Sint16>(r), c.r, c.g, c.b,
                 c.a);
    canvas::disc(s, x1, y2, static_cast<Sint16>(r), c);
    filledCircleRGBA(raw, static_cast<Sint16>(x1), static_cast<Sint16>(y2), static_cast<Sint16>(r), c.r, c.g,
                     c.b, c.a);
  }
  EXPECT_EQ(differingPixels(s, raw), 0);
  EXPECT_GT(pixelsNot(s, kGrey), 10000);
}

TEST_F(CanvasTest, ShapesJustTouchingTheEdgeAreKept) {
  const struct {
    int x, y;
  } centres[] = {{-12, 100}, {-13, 100}, {651, 100}, {652, 100}, {100, -12}, {100, 491}, {-13, -13}};
  for (const auto& c : centres) {
    canvas::ring(s, c.x, c.y, 12, kWhite);
    aacircleRGBA(raw, static_cast<Sint16>(c.x), static_cast<Sint16>(c.y), 12, 255, 255, 255, 255);
    canvas::disc(s, c.x, c.y, 12, kWhite);
    filledCircleRGBA(raw, static_cast<Sint16>(c.x), static_cast<Sint16>(c.y), 12, 255, 255, 255, 255);
    canvas::line(s, c.x, c.y, c.x + 1, c.y - 40, kWhite);
    aalineRGBA(raw, static_cast<Sint16>(c.x), static_cast<Sint16>(c.y), static_cast<Sint16>(c.x + 1),
               static_cast<Sint16>(c.y - 40), 255, 255, 255, 255);
  }
  EXPECT_EQ(differingPixels(s, raw), 0);
}

}  // namespace
