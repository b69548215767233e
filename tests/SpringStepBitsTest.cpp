// Spring::move measures |d| once and tests f for NaN without a second
// hypot. This holds it, bit for bit, to the step written out the long way:
// d.length() for the stretch, d.unit() for the direction, f.length() for
// the NaN test, over ordinary, huge, tiny and non-finite states.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "GameFixture.h"
#include "Joint.h"
#include "Spring.h"
#include "StaticJoint.h"
#include "Vector.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kMax = std::numeric_limits<float>::max();
constexpr float kTiny = std::numeric_limits<float>::denorm_min();

// The spring step with every length taken by its own call.
void longWayStep(Joint& a, Joint& b, float restLength) {
  const Vector d = (b.pos + b.vel) - (a.pos + a.vel);
  const float e = static_cast<float>(d.length() - restLength);
  const float k = e * Spring::kStiffness;
  const Vector f = d.unit() * k;
  if (std::isnan(f.length())) return;
  a.addForce(f / 2.0f);
  b.addForce(-f / 2.0f);
}

struct State {
  Vector aPos, aVel, bPos, bVel;
  float rest;
  bool bAnchored;
};

// Runs both steps from the same state; true when the four velocities agree
// to the bit.
::testing::AssertionResult sameStep(const State& s) {
  const auto make = [](Vector p, Vector v, bool anchored) -> std::unique_ptr<Joint> {
    auto j = anchored ? std::make_unique<StaticJoint>(p.x, p.y) : std::make_unique<Joint>(p.x, p.y);
    j->vel = v;
    return j;
  };
  auto a1 = make(s.aPos, s.aVel, false);
  auto b1 = make(s.bPos, s.bVel, s.bAnchored);
  auto a2 = make(s.aPos, s.aVel, false);
  auto b2 = make(s.bPos, s.bVel, s.bAnchored);
  Spring(*a1, *b1, s.rest).move();
  longWayStep(*a2, *b2, s.rest);
  const std::uint32_t got[] = {bits(a1->vel.x), bits(a1->vel.y), bits(b1->vel.x), bits(b1->vel.y)};
  const std::uint32_t want[] = {bits(a2->vel.x), bits(a2->vel.y), bits(b2->vel.x), bits(b2->vel.y)};
  for (int i = 0; i < 4; ++i) {
    if (got[i] != want[i]) {
      return ::testing::AssertionFailure() << "velocity component " << i << ": " << std::hex << got[i]
                                           << " vs " << want[i] << " from a (" << s.aPos.x << ", " << s.aPos.y
                                           << ") b (" << s.bPos.x << ", " << s.bPos.y << ") rest " << s.rest;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(SpringStepBits, EdgeStatesMatchTheLongWay) {
  const float nan = std::nanf("");
  const std::vector<State> states = {
      {{0, 0}, {0, 0}, {100, 0}, {0, 0}, 96, false},         // stretched
      {{0, 0}, {0, 0}, {40, 0}, {0, 0}, 48, false},          // compressed
      {{7, 7}, {1, 1}, {8, 8}, {0, 0}, 10, false},           // predicted ends coincide
      {{0, 0}, {0, 0}, {0, 0}, {0, 0}, 0, false},            // zero span, zero rest
      {{0, 0}, {0, 0}, {100, 0}, {0, 0}, nan, false},        // NaN rest
      {{0, 0}, {0, 0}, {30, 40}, {0, 0}, 40, true},          // anchored end
      {{0, 0}, {0, 0}, {kMax, kMax}, {0, 0}, 1, false},      // stretch rounds to +inf
      {{-kMax, 0}, {0, 0}, {kMax, 0}, {0, 0}, 1, false},     // span overflows to +inf
      {{0, 0}, {0, 0}, {kInf, 5}, {0, 0}, 1, false},         // infinite end
      {{0, 0}, {0, 0}, {kInf, kInf}, {0, 0}, 1, false},      // infinite both ways
      {{0, 0}, {0, 0}, {nan, 5}, {0, 0}, 1, false},          // NaN end
      {{0, 0}, {0, 0}, {kInf, nan}, {0, 0}, 1, false},       // infinity beside NaN
      {{0, 0}, {0, 0}, {kTiny, 0}, {0, 0}, 0, false},        // subnormal span
      {{0, 0}, {0, 0}, {kTiny, kTiny}, {0, 0}, 1, false},    // subnormal span, stretched
      {{1e-30f, 0}, {0, 0}, {0, 1e-30f}, {0, 0}, 0, false},  // tiny but normal
      {{0, 0}, {kInf, 0}, {10, 0}, {-kInf, 0}, 5, false},    // infinite velocities
      {{3, 4}, {0, 0}, {0, 0}, {0, 0}, kInf, false},         // infinite rest
  };
  for (const State& s : states) EXPECT_TRUE(sameStep(s));
}

TEST(SpringStepBits, RandomStatesMatchTheLongWay) {
  std::mt19937 rng(4242);
  std::uniform_real_distribution<float> pos(-2000.0f, 2000.0f);
  std::uniform_real_distribution<float> vel(-20.0f, 20.0f);
  std::uniform_real_distribution<float> rest(0.0f, 120.0f);
  std::uniform_int_distribution<int> coin(0, 1);
  std::uniform_int_distribution<int> exponent(-140, 127);
  // Any finite float, sign and binade spread evenly.
  const auto wild = [&] {
    return (coin(rng) ? 1.0f : -1.0f) * std::ldexp(1.0f + pos(rng) / 4000.0f, exponent(rng));
  };
  constexpr int kOrdinary = 200000;
  constexpr int kWild = 50000;
  int failures = 0;
  for (int i = 0; i < kOrdinary && failures < 5; ++i) {
    const State s{
        {pos(rng), pos(rng)}, {vel(rng), vel(rng)}, {pos(rng), pos(rng)}, {vel(rng), vel(rng)}, rest(rng),
        coin(rng) == 1};
    const auto r = sameStep(s);
    if (!r) ++failures;
    EXPECT_TRUE(r);
  }
  for (int i = 0; i < kWild && failures < 5; ++i) {
    const State s{{wild(), wild()}, {wild(), wild()},  {wild(), wild()},
                  {wild(), wild()}, std::fabs(wild()), false};
    const auto r = sameStep(s);
    if (!r) ++failures;
    EXPECT_TRUE(r);
  }
}

}  // namespace
