#include "Soak.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Constructer.h"
#include "Joint.h"
#include "StaticJoint.h"
#include "Tavelond.h"
#include "Tower.h"

namespace {

constexpr std::uint64_t kShortSoakFrames = 20'000;

class ShortSoak : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(ShortSoak, RandomPlayKeepsEveryInvariant) {
  soak::Session session;
  const soak::Figures f = session.play(GetParam(), kShortSoakFrames);
  EXPECT_EQ(f.failure, "");
  EXPECT_EQ(f.frames, kShortSoakFrames);
  // The run did what a soak is for: it built, toggled, saved and panned far.
  EXPECT_GT(f.joints, 20u);
  EXPECT_GT(f.toggles, 0u);
  EXPECT_GT(f.screenshots, 0u);
  EXPECT_GT(f.farPans, 0u);
  EXPECT_GT(f.unbounded, 0u);  // these seeds tie enough joints to one to blow it up
  RecordProperty("joints", static_cast<int>(f.joints));
  std::printf(
      "seed %llu: %zu joints, %zu springs, %zu unbounded, %llu toggles, %llu screenshots, %llu far pans\n",
      static_cast<unsigned long long>(GetParam()), f.joints, f.springs, f.unbounded,
      static_cast<unsigned long long>(f.toggles), static_cast<unsigned long long>(f.screenshots),
      static_cast<unsigned long long>(f.farPans));
}

// Seeds whose runs include a structure that explodes.
INSTANTIATE_TEST_SUITE_P(Seeds, ShortSoak, ::testing::Values(1, 3),
                         [](const auto& info) { return "Seed" + std::to_string(info.param); });

// The checks themselves: each broken invariant, made on purpose after the
// hundredth frame, stops the soak with its own complaint.
struct Breakage {
  const char* name;
  soak::Session::Meddler meddle;
  const char* complaint;
};

std::ostream& operator<<(std::ostream& os, const Breakage& b) { return os << b.name; }

constexpr std::uint64_t kBreakAt = 100;

Joint stray(0.0f, 0.0f);  // a joint the tower does not hold

const Breakage kBreakages[] = {
    {"AnchorNudged", [](Tavelond& g, std::uint64_t) { g.tower->joints[2]->pos.x += 1.0f; }, "anchor 2 moved"},
    {"JointUnderTerrain", [](Tavelond& g, std::uint64_t) { g.tower->joints[0]->pos.y += 50.0f; },
     "under the terrain"},
    {"JointRemoved", [](Tavelond& g, std::uint64_t) { g.tower->joints.pop_back(); }, "a list shrank"},
    {"AnchorAdded",
     [](Tavelond& g, std::uint64_t) { g.tower->joints.push_back(std::make_unique<StaticJoint>(0.0f, 0.0f)); },
     "an anchor was added"},
    {"SecondWithoutFirst",
     [](Tavelond& g, std::uint64_t) {
       g.constructer->first = nullptr;
       g.constructer->second = g.tower->joints[0].get();
     },
     "without a first"},
    {"SelectionOutsideTheTower", [](Tavelond& g, std::uint64_t) { g.constructer->first = &stray; },
     "not in the tower"},
};

class BrokenWorld : public ::testing::TestWithParam<Breakage> {};

TEST_P(BrokenWorld, StopsTheSoak) {
  soak::Session session;
  const Breakage& b = GetParam();
  const soak::Figures f = session.play(7, 10 * kBreakAt, [&](Tavelond& g, std::uint64_t frame) {
    if (frame == kBreakAt) b.meddle(g, frame);
  });
  EXPECT_EQ(f.frames, kBreakAt);
  EXPECT_NE(f.failure.find(b.complaint), std::string::npos) << f.failure;
}

INSTANTIATE_TEST_SUITE_P(Checks, BrokenWorld, ::testing::ValuesIn(kBreakages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
