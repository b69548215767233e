#include "Joint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GameFixture.h"
#include "Ground.h"
#include "StaticJoint.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

using JointTest = GameTest;

TEST_F(JointTest, FreeFallFollowsTheSinglePrecisionSteps) {
  Joint j(100, 50);
  j.move();
  EXPECT_FLOAT_BITS(j.pos.y, 50.17499923706055);
  EXPECT_FLOAT_BITS(j.vel.y, 0.1732500046491623);
  j.move();
  EXPECT_FLOAT_BITS(j.pos.y, 50.523250579833984);
  EXPECT_FLOAT_BITS(j.vel.y, 0.3447675108909607);
  EXPECT_EQ(bits(j.pos.x), bits(100.0f));
  EXPECT_EQ(bits(j.vel.x), bits(0.0f));
}

TEST_F(JointTest, FreeFallSettlesAtTheTerminalSpeedAndPasses17InFrame396) {
  Joint j(0, -1e9f);  // far above the terrain for the whole fall
  int passed = 0;
  for (int frame = 1; frame <= 3000; ++frame) {
    j.move();
    if (passed == 0 && j.vel.y > 17.0f) passed = frame;
  }
  EXPECT_EQ(passed, 396);
  EXPECT_FLOAT_BITS(j.vel.y, 17.324846267700195);
}

TEST_F(JointTest, AnAnchorSettlesOnTheTerrainInTwoFramesAndStays) {
  StaticJoint a(128, 414);
  a.move();
  EXPECT_FLOAT_BITS(a.pos.y, 414.17498779296875);
  a.move();
  EXPECT_FLOAT_BITS(a.pos.y, 414.4169921875);
  EXPECT_EQ(bits(a.vel.y), bits(0.0f));
  for (int i = 0; i < 100; ++i) a.move();
  EXPECT_FLOAT_BITS(a.pos.y, 414.4169921875);
  EXPECT_EQ(bits(a.pos.x), bits(128.0f));
}

// A terrain that is exactly where the joint lands, or NaN: contact must not
// fire, since the joint is not strictly below it.
class FlatGround : public Ground {
 public:
  explicit FlatGround(double h) : h_(h) {}
  double height(float) const override { return h_; }

 private:
  double h_;
};

TEST_F(JointTest, TerrainContactKeepsHorizontalSpeedDampedOnly) {
  game->ground = std::make_unique<FlatGround>(400.0);
  Joint j(300, 400);
  j.vel.x = 2;
  float expectedVx = 2;
  for (int i = 0; i < 5; ++i) {
    j.move();
    expectedVx *= Joint::kDamping;
    EXPECT_EQ(bits(j.vel.x), bits(expectedVx));
    EXPECT_EQ(bits(j.vel.y), bits(0.0f));
    EXPECT_EQ(bits(j.pos.y), bits(400.0f));
  }
  EXPECT_GT(j.pos.x, 309.0f);
}

TEST_F(JointTest, ContactNeedsTheJointStrictlyBelowTheTerrain) {
  Joint probe(10, 20);
  probe.vel = {0, 1};
  Joint landing(10, 20);
  landing.vel = {0, 1};
  // Where the first three steps leave it: vel 1.175, pos 21.175.
  probe.vel += probe.acc;
  probe.pos += probe.vel;
  const float landY = probe.pos.y;

  for (double h : {static_cast<double>(landY), std::nan("")}) {
    game->ground = std::make_unique<FlatGround>(h);
    Joint j(10, 20);
    j.vel = {0, 1};
    j.move();
    EXPECT_EQ(bits(j.pos.y), bits(landY)) << h;
    EXPECT_FLOAT_BITS(j.vel.y, 1.175f * 0.99f);
  }
  game->ground = std::make_unique<FlatGround>(static_cast<double>(landY) - 0.25);
  landing.move();
  EXPECT_EQ(bits(landing.pos.y), bits(static_cast<float>(static_cast<double>(landY) - 0.25)));
  EXPECT_EQ(bits(landing.vel.y), bits(0.0f));
}

struct HitCase {
  float jx, jy;
  int x, y;
  bool hit;
};

void PrintTo(const HitCase& c, std::ostream* os) {
  *os << "joint (" << c.jx << ", " << c.jy << ") point (" << c.x << ", " << c.y << ")";
}

class JointHit : public GameTest, public ::testing::WithParamInterface<HitCase> {};

TEST_P(JointHit, IsStrictlyWithinTheRadius) {
  const auto c = GetParam();
  EXPECT_EQ(Joint(c.jx, c.jy).hitTest(c.x, c.y), c.hit);
  EXPECT_EQ(StaticJoint(c.jx, c.jy).hitTest(c.x, c.y), c.hit);
}

INSTANTIATE_TEST_SUITE_P(Cases, JointHit,
                         ::testing::Values(HitCase{100, 200, 112, 200, false},  // exactly 12
                                           HitCase{100, 200, 100, 188, false},  // exactly 12
                                           HitCase{100, 200, 111, 200, true},
                                           HitCase{100, 200, 108, 208, true},   // 11.31
                                           HitCase{100, 200, 109, 209, false},  // 12.73
                                           HitCase{100.5f, 200, 112, 200, true},
                                           HitCase{kNaN, 200, 100, 200, false}));

TEST_F(JointTest, AnAnchorIgnoresEveryImpulseAndAFreeJointTakesIt) {
  StaticJoint a(0, 0);
  for (const Vector f : {Vector(1, 2), Vector(kNaN, kNaN), Vector(-1e30f, 0)}) a.addForce(f);
  EXPECT_EQ(bits(a.vel.x), bits(0.0f));
  EXPECT_EQ(bits(a.vel.y), bits(0.0f));

  Joint j(0, 0);
  j.addForce({0.5f, -0.25f});
  j.addForce({0.5f, -0.25f});
  EXPECT_EQ(bits(j.vel.x), bits(1.0f));
  EXPECT_EQ(bits(j.vel.y), bits(-0.5f));
}

TEST_F(JointTest, BlitCentresTheImageWithoutTheViewOffset) {
  SDL_Surface* image = makeSurface32(25, 10);
  fill(image, {10, 200, 30});
  Joint j(100.9f, 50.2f);
  j.blit(image);
  EXPECT_EQ(pixelAt(canvas, 88, 45), (Rgb{10, 200, 30}));
  EXPECT_EQ(pixelAt(canvas, 112, 54), (Rgb{10, 200, 30}));
  EXPECT_EQ(pixelAt(canvas, 87, 45), kGrey);
  EXPECT_EQ(pixelAt(canvas, 88, 44), kGrey);
  EXPECT_EQ(pixelAt(canvas, 113, 54), kGrey);
  EXPECT_EQ(pixelsNot(canvas, kGrey), 25 * 10);

  // Nowhere a rectangle can address: nothing is copied.
  fill(canvas, kGrey);
  Joint far(1e9f, 50);
  far.blit(image);
  Joint lost(kNaN, 50);
  lost.blit(image);
  EXPECT_EQ(pixelsNot(canvas, kGrey), 0);
  SDL_FreeSurface(image);
}

}  // namespace
