// Culling must never cost a pixel: shapes crowded around the edges of the
// surface and of a narrower clip rectangle, drawn through the canvas and
// straight with SDL_gfx, must leave the same picture.
#include <SDL_gfxPrimitives.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>

#include "Canvas.h"
#include "GameFixture.h"
#include "Pixels.h"

namespace {

constexpr int kCases = 1500;
constexpr int kEdgeBand = 30;  // pixels on either side of an edge where the shapes crowd
constexpr int kMaxRadius = 20;

struct Clip {
  const char* name;
  SDL_Rect rect;  // w == 0: the whole surface
};

void PrintTo(const Clip& c, std::ostream* os) { *os << c.name; }

class CullingTest : public ::testing::TestWithParam<Clip> {
 protected:
  void SetUp() override {
    viaCanvas = makeSurface32();
    raw = makeSurface32();
    fill(viaCanvas, kGrey);
    fill(raw, kGrey);
    SDL_Rect r = GetParam().rect;
    SDL_SetClipRect(viaCanvas, r.w == 0 ? nullptr : &r);
    SDL_SetClipRect(raw, r.w == 0 ? nullptr : &r);
  }
  void TearDown() override {
    SDL_FreeSurface(viaCanvas);
    SDL_FreeSurface(raw);
  }
  SDL_Surface* viaCanvas = nullptr;
  SDL_Surface* raw = nullptr;
};

// A coordinate near one of the two edges [lo, hi] of the clip rectangle.
int nearEdge(std::mt19937& rng, int lo, int hi) {
  std::uniform_int_distribution<int> side(0, 1);
  std::uniform_int_distribution<int> off(-kEdgeBand, kEdgeBand);
  return (side(rng) == 0 ? lo : hi) + off(rng);
}

TEST_P(CullingTest, ShapesAroundTheEdgesPaintWhatSdlGfxPaints) {
  const SDL_Rect& c = viaCanvas->clip_rect;
  const int x0 = c.x;
  const int x1 = c.x + c.w - 1;
  const int y0 = c.y;
  const int y1 = c.y + c.h - 1;
  std::mt19937 rng(20261211);
  std::uniform_int_distribution<int> anyX(x0 - 100, x1 + 100);
  std::uniform_int_distribution<int> anyY(y0 - 100, y1 + 100);
  std::uniform_int_distribution<int> radius(1, kMaxRadius);
  std::uniform_int_distribution<int> channel(0, 255);
  std::uniform_int_distribution<int> pick(0, 3);

  int besideOneEdge = 0;  // lines with both ends past the same edge: the culled kind
  for (int i = 0; i < kCases; ++i) {
    // One end near a vertical edge, the other near a horizontal one, or
    // both near the same edge: every way a segment can graze the surface.
    int ax = 0;
    int ay = 0;
    int bx = 0;
    int by = 0;
    switch (pick(rng)) {
      case 0:
        ax = nearEdge(rng, x0, x1);
        ay = anyY(rng);
        bx = nearEdge(rng, x0, x1);
        by = anyY(rng);
        break;
      case 1:
        ax = anyX(rng);
        ay = nearEdge(rng, y0, y1);
        bx = anyX(rng);
        by = nearEdge(rng, y0, y1);
        break;
      case 2:
        ax = nearEdge(rng, x0, x1);
        ay = anyY(rng);
        bx = anyX(rng);
        by = nearEdge(rng, y0, y1);
        break;
      default:
        ax = nearEdge(rng, x0, x1);
        ay = nearEdge(rng, y0, y1);
        bx = ax + pick(rng) - 1;
        by = ay + 1;
        break;
    }
    besideOneEdge +=
        (ax < x0 && bx < x0) || (ax > x1 && bx > x1) || (ay < y0 && by < y0) || (ay > y1 && by > y1);
    const int r = radius(rng);
    const canvas::Colour k{static_cast<std::uint8_t>(channel(rng)), static_cast<std::uint8_t>(channel(rng)),
                           static_cast<std::uint8_t>(channel(rng)),
                           static_cast<std::uint8_t>(channel(rng) | 1)};
    const auto s16 = [](int v) { return static_cast<Sint16>(v); };

    canvas::line(viaCanvas, ax, ay, bx, by, k);
    aalineRGBA(raw, s16(ax), s16(ay), s16(bx), s16(by), k.r, k.g, k.b, k.a);
    canvas::ring(viaCanvas, ax, by, static_cast<std::int16_t>(r), k);
    aacircleRGBA(raw, s16(ax), s16(by), s16(r), k.r, k.g, k.b, k.a);
    canvas::disc(viaCanvas, bx, ay, static_cast<std::int16_t>(r), k);
    filledCircleRGBA(raw, s16(bx), s16(ay), s16(r), k.r, k.g, k.b, k.a);

    ASSERT_TRUE(samePixels(viaCanvas, raw))
        << differingPixels(viaCanvas, raw) << " pixels differ after case " << i << ": line (" << ax << ", "
        << ay << ")-(" << bx << ", " << by << "), radius " << r;
  }
  // The cases must exercise culling, and still paint plenty near the edges.
  EXPECT_GT(besideOneEdge, kCases / 5);
  EXPECT_GT(pixelsNot(viaCanvas, kGrey), 5000);
}

INSTANTIATE_TEST_SUITE_P(Clips, CullingTest,
                         ::testing::Values(Clip{"WholeSurface", {0, 0, 0, 0}},
                                           Clip{"NarrowClip", {50, 40, 300, 200}}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
