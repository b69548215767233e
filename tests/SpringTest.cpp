#include "Spring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GameFixture.h"
#include "Joint.h"
#include "StaticJoint.h"

namespace {

using SpringTest = GameTest;

struct RestCase {
  Vector a, b;
  float given = 0;
  float expected = 0;
};

TEST_F(SpringTest, RestLengthIsMeasuredAndCappedOnlyWhenAskedFor) {
  const RestCase cases[] = {
      {{0, 0}, {30, 40}, -1, 50},
      {{0, 0}, {100, 0}, -1, 96},
      {{0, 0}, {96, 0}, -1, 96},
      {{5, 5}, {5, 5}, -1, 0},
      {{0, 0}, {1, 1}, -1, 1.4142135381698608f},
      {{0, 0}, {30, 40}, 200, 200},
      {{0, 0}, {30, 40}, 0, 0},
  };
  for (const auto& c : cases) {
    Joint a(c.a.x, c.a.y);
    Joint b(c.b.x, c.b.y);
    EXPECT_EQ(bits(Spring(a, b, c.given).restLength), bits(c.expected)) << c.given << " " << c.b.x;
  }
  Joint a(0, 0);
  Joint b(3, 4);
  EXPECT_TRUE(std::isnan(Spring(a, b, std::nanf("")).restLength));
}

struct ImpulseCase {
  const char* name = "";
  Vector aPos, aVel, bPos;
  float rest = 0;
  bool bAnchored = false;
  Vector aAfter, bAfter;
};

TEST_F(SpringTest, ImpulseSplitsBetweenTheEndsFromTheirPredictedPositions) {
  const ImpulseCase cases[] = {
      {"stretched", {0, 0}, {0, 0}, {100, 0}, 96, false, {0.5f, 0}, {-0.5f, 0}},
      {"a moving", {0, 0}, {1, 0}, {100, 0}, 96, false, {1.375f, 0}, {-0.375f, 0}},
      {"diagonal", {0, 0}, {0, 0}, {30, 40}, 40, false, {0.75f, 1}, {-0.75f, -1}},
      {"anchored b", {0, 0}, {0, 0}, {30, 40}, 40, true, {0.75f, 1}, {0, 0}},
      {"compressed", {0, 0}, {0, 0}, {40, 0}, 48, false, {-1, 0}, {1, 0}},
      {"coincident", {7, 7}, {1, 1}, {8, 8}, 10, false, {1, 1}, {0, 0}},
      {"NaN rest", {0, 0}, {0, 0}, {100, 0}, std::nanf(""), false, {0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    Joint a(c.aPos.x, c.aPos.y);
    a.vel = c.aVel;
    std::unique_ptr<Joint> b = c.bAnchored ? std::make_unique<StaticJoint>(c.bPos.x, c.bPos.y)
                                           : std::make_unique<Joint>(c.bPos.x, c.bPos.y);
    Spring s(a, *b, c.rest);
    s.move();
    EXPECT_EQ(bits(a.vel.x), bits(c.aAfter.x)) << c.name;
    EXPECT_EQ(bits(a.vel.y), bits(c.aAfter.y)) << c.name;
    EXPECT_EQ(bits(b->vel.x), bits(c.bAfter.x)) << c.name;
    EXPECT_EQ(bits(b->vel.y), bits(c.bAfter.y)) << c.name;
  }
}

TEST_F(SpringTest, StretchIsTakenFromTheUnroundedLength) {
  // |d| = sqrt(2), rest 1: the stretch rounds to 0.41421356797 from the exact
  // length, but to 0.41421353817 if the length were rounded to a float first.
  Joint a(0, 0);
  Joint b(1, 1);
  Spring s(a, b, 1.0f);
  s.move();
  // f = unit(d) · (e · 0.25), half of it to a.
  const float e = 0.4142135679721832f;
  const float ux = 0.7071067690849304f;
  EXPECT_FLOAT_BITS(a.vel.x, (ux * (e * 0.25f)) / 2.0f);
  EXPECT_NE(bits(a.vel.x), bits((ux * (0.41421353816986084f * 0.25f)) / 2.0f));
}

TEST_F(SpringTest, DrawsOneWhiteLineBetweenTheTruncatedEndsPlusTheOffset) {
  Joint a(10.7f, 20.2f);
  Joint b(-3.5f, 7.9f);
  Spring s(a, b, 5);
  s.draw(5, -2);

  SDL_Surface* expected = makeSurface32();
  fill(expected, kGrey);
  aalineRGBA(expected, 15, 18, 2, 5, 255, 255, 255, 255);
  EXPECT_EQ(differingPixels(canvas, expected), 0);
  EXPECT_GT(pixelsNot(canvas, kGrey), 10);
  SDL_FreeSurface(expected);
}

}  // namespace
