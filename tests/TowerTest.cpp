#include "Tower.h"

#include <gtest/gtest.h>

#include "GameFixture.h"
#include "Ground.h"
#include "Joint.h"
#include "Spring.h"
#include "StaticJoint.h"

namespace {

using TowerTest = GameTest;

struct Anchor {
  float x, y, afterOne;
};
constexpr Anchor kAnchors[] = {
    {128, 414, 414.175f}, {256, 458, 458.175f}, {384, 365, 365.175f}, {512, 380, 380.175f}};

TEST_F(TowerTest, StartsWithFourAnchorsOnTheTerrainAndNoSprings) {
  const Tower& t = *game->tower;
  ASSERT_EQ(t.joints.size(), 4u);
  EXPECT_TRUE(t.springs.empty());
  for (size_t i = 0; i < 4; ++i) {
    const Joint& j = *t.joints[i];
    EXPECT_NE(dynamic_cast<const StaticJoint*>(&j), nullptr);
    EXPECT_EQ(bits(j.pos.x), bits(kAnchors[i].x));
    EXPECT_EQ(bits(j.pos.y), bits(kAnchors[i].y));
    EXPECT_EQ(bits(j.vel.x), bits(0.0f));
    EXPECT_EQ(bits(j.vel.y), bits(0.0f));
  }
}

TEST_F(TowerTest, AnchorsRestOnTheTerrainFromTheSecondStepOn) {
  Tower& t = *game->tower;
  t.move();
  for (size_t i = 0; i < 4; ++i) EXPECT_FLOAT_BITS(t.joints[i]->pos.y, kAnchors[i].afterOne);
  for (int frame = 2; frame <= 50; ++frame) {
    t.move();
    for (size_t i = 0; i < 4; ++i) {
      const Joint& j = *t.joints[i];
      ASSERT_EQ(bits(j.pos.y), bits(static_cast<float>(game->ground->height(kAnchors[i].x)))) << frame;
      ASSERT_EQ(bits(j.pos.x), bits(kAnchors[i].x));
      ASSERT_EQ(bits(j.vel.y), bits(0.0f));
    }
  }
  EXPECT_FLOAT_BITS(t.joints[0]->pos.y, 414.4169921875);
}

TEST_F(TowerTest, NarrowSurfacesGetAnchorsOnTheirFifthsOrNone) {
  const struct {
    int width;
    size_t anchors;
  } cases[] = {{4, 0}, {5, 4}, {11, 5}, {640, 4}};
  for (const auto& c : cases) {
    SDL_Surface* s = makeSurface32(c.width, 10);
    game->screen->surface = s;
    EXPECT_EQ(Tower::makeAnchors().size(), c.anchors) << c.width;
    game->screen->surface = canvas;
    SDL_FreeSurface(s);
  }
}

TEST_F(TowerTest, AllSpringsActBeforeAnyJointMoves) {
  Tower& t = *game->tower;
  Joint& anchor = *t.joints[0];
  auto& free1 = *t.joints.emplace_back(std::make_unique<Joint>(100.0f, 300.0f));
  auto& free2 = *t.joints.emplace_back(std::make_unique<Joint>(160.0f, 300.0f));
  t.springs.push_back(std::make_unique<Spring>(free1, anchor, 30.0f));
  t.springs.push_back(std::make_unique<Spring>(free2, free1, 30.0f));

  // The same world stepped by hand: every spring, in order, then every joint.
  Joint a(anchor.pos.x, anchor.pos.y);
  Joint j1(100, 300);
  Joint j2(160, 300);
  Spring s1(j1, a, 30);
  Spring s2(j2, j1, 30);
  s1.move();
  s2.move();
  j1.move();
  j2.move();

  t.move();
  EXPECT_EQ(bits(free1.pos.x), bits(j1.pos.x));
  EXPECT_EQ(bits(free1.pos.y), bits(j1.pos.y));
  EXPECT_EQ(bits(free2.pos.x), bits(j2.pos.x));
  EXPECT_EQ(bits(free2.vel.y), bits(j2.vel.y));
}

TEST_F(TowerTest, DrawsJointsOverSprings) {
  Tower& t = *game->tower;
  Joint& anchor = *t.joints[0];
  t.springs.push_back(std::make_unique<Spring>(anchor, *t.joints[1], -1.0f));
  t.draw(0, 0);
  // The spring passes through the anchor's centre; the anchor's core is on top.
  EXPECT_EQ(pixelAt(canvas, 128, 414), (Rgb{206, 101, 0}));
  // Halfway along, the spring's anti-aliased pixels light the column.
  const int mx = (128 + 256) / 2;
  const int my = (414 + 458) / 2;
  int light = 0;
  for (int y = my - 2; y <= my + 2; ++y) light += pixelAt(canvas, mx, y).r - kGrey.r;
  EXPECT_GE(light, 150);
}

}  // namespace
