#include "Constructer.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "GameFixture.h"
#include "Ground.h"
#include "Joint.h"
#include "Sight.h"
#include "Spring.h"
#include "Tower.h"

namespace {

constexpr std::uint8_t kL = SDL_BUTTON(SDL_BUTTON_LEFT);
constexpr std::uint8_t kM = SDL_BUTTON(SDL_BUTTON_MIDDLE);
constexpr std::uint8_t kR = SDL_BUTTON(SDL_BUTTON_RIGHT);

// One frame of input: where the cursor is and which buttons are down.
struct Step {
  int x, y;
  std::uint8_t buttons;
};

class ConstructerTest : public GameTest {
 protected:
  Constructer& tool() { return *game->constructer; }
  Tower& tower() { return *game->tower; }
  Joint* joint(size_t i) { return tower().joints.at(i).get(); }

  // A press and release at (x, y), the cursor having got there in an earlier
  // frame with the button up, as a hand does it.
  static std::vector<Step> click(int x, int y, std::uint8_t b = kL) {
    return {{x, y, 0}, {x, y, b}, {x, y, 0}};
  }

  void play(const std::vector<std::vector<Step>>& parts) {
    std::vector<Step> steps;
    for (const auto& p : parts) steps.insert(steps.end(), p.begin(), p.end());
    runFrames(static_cast<int>(steps.size()), [&](int k) {
      FakeInput::moveTo(steps[k].x, steps[k].y);
      FakeInput::buttons = steps[k].buttons;
    });
  }
};

TEST_F(ConstructerTest, TwoJointsThenASpotPlacesAJointTiedToBoth) {
  play({click(128, 414), click(256, 458), click(192, 400)});
  ASSERT_EQ(tower().joints.size(), 5u);
  ASSERT_EQ(tower().springs.size(), 2u);
  Joint* placed = joint(4);
  const Spring& toFirst = *tower().springs[0];
  const Spring& toSecond = *tower().springs[1];
  EXPECT_EQ(&toFirst.a, placed);
  EXPECT_EQ(&toFirst.b, joint(0));
  EXPECT_EQ(&toSecond.a, placed);
  EXPECT_EQ(&toSecond.b, joint(1));
  EXPECT_EQ(tool().first, nullptr);
  EXPECT_EQ(tool().second, nullptr);
  // Rest lengths are the distances from the click to the settled anchors.
  const Vector spot(192, 400);
  EXPECT_EQ(bits(toFirst.restLength),
            bits(static_cast<float>((Vector(128, 414.4169921875f) - spot).length())));
  const float anchor1y = static_cast<float>(game->ground->height(256));
  EXPECT_EQ(bits(toSecond.restLength), bits(static_cast<float>((Vector(256, anchor1y) - spot).length())));
}

TEST_F(ConstructerTest, MeasuredRestLengthsAreCappedAt96) {
  play({click(128, 414), click(256, 458), click(190, 250)});
  ASSERT_EQ(tower().springs.size(), 2u);
  for (const auto& s : tower().springs) EXPECT_EQ(bits(s->restLength), bits(96.0f));
}

TEST_F(ConstructerTest, PlacementUsesTheOffsetPannedInTheSameFrame) {
  // Drag the view 30 right, 20 down; then the anchor at world (128, 414)
  // sits under window (158, 434).
  play({{{100, 100, 0}, {100, 100, kL}, {130, 120, kL}, {130, 120, 0}},
        click(158, 434),
        click(158, 434),
        click(158, 384)});
  EXPECT_EQ(game->sight->x, 30);
  EXPECT_EQ(game->sight->y, 20);
  ASSERT_EQ(tower().joints.size(), 5u);
  EXPECT_EQ(&tower().springs[0]->b, joint(0));
  EXPECT_EQ(&tower().springs[1]->b, joint(0));
  // Window (158, 384) is world (128, 364), straight above the anchor: the
  // springs pull only vertically, so x stays, and the rest length is the
  // distance to the settled anchor.
  EXPECT_EQ(bits(joint(4)->pos.x), bits(128.0f));
  EXPECT_EQ(bits(tower().springs[0]->restLength), bits(50.4169921875f));
}

// The selection automaton, one move each, from every state.
struct Transition {
  const char* name;
  int first, second;    // tower indices, -1 for none
  std::uint8_t before;  // mask seen in the previous frame
  std::uint8_t now;     // mask this frame
  int x, y;             // cursor, in the world (the view is at 0, 0)
  int firstAfter, secondAfter;
  size_t jointsAfter;
};

TEST_F(ConstructerTest, SelectionFollowsItsStateTable) {
  const Transition table[] = {
      {"none, hit", -1, -1, 0, kL, 128, 414, 0, -1, 4},
      {"none, miss", -1, -1, 0, kL, 50, 50, -1, -1, 4},
      {"one, hit another", 0, -1, 0, kL, 256, 458, 0, 1, 4},
      {"one, hit itself", 0, -1, 0, kL, 128, 414, 0, 0, 4},
      {"one, miss", 0, -1, 0, kL, 50, 50, 0, -1, 4},
      {"two, place", 0, 1, 0, kL, 50, 50, -1, -1, 5},
      {"two, place over a joint", 0, 1, 0, kL, 384, 365, -1, -1, 5},
      {"held left acts once", -1, -1, kL, kL, 128, 414, -1, -1, 4},
      {"right cancels", 0, 1, 0, kR, 50, 50, -1, -1, 4},
      {"left and right, two selected", 0, 1, 0, kL | kR, 50, 50, -1, -1, 5},
      {"left and right, one selected", 0, -1, 0, kL | kR, 256, 458, -1, -1, 4},
      {"middle does nothing", 0, -1, 0, kM, 256, 458, 0, -1, 4},
      {"right held, left new", 0, -1, kR, kL | kR, 256, 458, 0, 1, 4},
  };
  for (const auto& t : table) {
    TearDown();
    SetUp();
    auto at = [&](int i) { return i < 0 ? nullptr : joint(static_cast<size_t>(i)); };
    tool().first = at(t.first);
    tool().second = at(t.second);
    tool().buttons = t.before;
    FakeInput::x = t.x;
    FakeInput::y = t.y;
    FakeInput::buttons = t.now;
    tool().move();
    EXPECT_EQ(tool().first, at(t.firstAfter)) << t.name;
    EXPECT_EQ(tool().second, at(t.secondAfter)) << t.name;
    EXPECT_EQ(tower().joints.size(), t.jointsAfter) << t.name;
    EXPECT_EQ(tower().springs.size(), (t.jointsAfter - 4) * 2) << t.name;
    EXPECT_EQ(tool().buttons, t.now) << t.name;
  }
}

TEST_F(ConstructerTest, PlacingOverAJointDoesNotConnectIt) {
  tool().first = joint(0);
  tool().second = joint(1);
  FakeInput::x = 384;
  FakeInput::y = 365;
  FakeInput::buttons = kL;
  tool().move();
  ASSERT_EQ(tower().joints.size(), 5u);
  EXPECT_EQ(bits(joint(4)->pos.x), bits(384.0f));
  EXPECT_EQ(bits(joint(4)->pos.y), bits(365.0f));
  for (const auto& s : tower().springs) EXPECT_NE(&s->b, joint(2));
}

TEST_F(ConstructerTest, PickPrefersTheAnchorThenTheOldestJoint) {
  auto& older = *tower().joints.emplace_back(std::make_unique<Joint>(130.0f, 410.0f));
  auto& newer = *tower().joints.emplace_back(std::make_unique<Joint>(300.0f, 100.0f));
  tower().joints.emplace_back(std::make_unique<Joint>(305.0f, 100.0f));
  EXPECT_EQ(tool().pick(129, 412), joint(0));
  EXPECT_EQ(tool().pick(140, 405), &older);  // 15 from the anchor, 11.2 from it
  EXPECT_EQ(tool().pick(303, 100), &newer);
  EXPECT_EQ(tool().pick(0, 0), nullptr);
}

TEST_F(ConstructerTest, SameJointTwiceGivesTwoEqualSprings) {
  play({click(128, 414), click(128, 414), click(128, 360)});
  ASSERT_EQ(tower().springs.size(), 2u);
  EXPECT_EQ(&tower().springs[0]->b, joint(0));
  EXPECT_EQ(&tower().springs[1]->b, joint(0));
  EXPECT_EQ(bits(tower().springs[0]->restLength), bits(tower().springs[1]->restLength));
}

TEST_F(ConstructerTest, ANewJointCanBePickedByTheNextClick) {
  play({click(128, 414), click(256, 458), click(190, 200)});
  ASSERT_EQ(tool().first, nullptr);
  // Click where the new joint is now.
  FakeInput::x = static_cast<int>(joint(4)->pos.x);
  FakeInput::y = static_cast<int>(joint(4)->pos.y);
  FakeInput::buttons = kL;
  tool().move();
  EXPECT_EQ(tool().first, joint(4));
}

TEST_F(ConstructerTest, AButtonDownAtStartCountsAsAPress) {
  FakeInput::x = 128;  // already there: no motion, so no pan either
  FakeInput::y = 414;
  FakeInput::buttons = kL;
  runFrames(5);
  EXPECT_EQ(tool().first, joint(0));
  EXPECT_EQ(tool().second, nullptr);
}

TEST_F(ConstructerTest, PulseAlphaTable) {
  const struct {
    std::int32_t c;
    int alpha;
  } table[] = {{0, 32},   {1, 35},    {30, 143},    {59, 251},     {60, 223},     {61, 220},
               {90, 112}, {119, 4},   {120, 32},    {-1, 28},      {-59, 69},     {-60, 32},
               {-61, 28}, {-119, 69}, {INT_MIN, 2}, {INT_MAX, 58}, {1200059, 251}};
  for (const auto& t : table) EXPECT_EQ(Constructer::pulseAlpha(t.c), t.alpha) << t.c;
}

TEST_F(ConstructerTest, TheCounterWrapsToNegativeFrames) {
  tool().count = INT_MAX;
  tool().move();
  EXPECT_EQ(tool().count, INT_MIN);
  tool().move();
  EXPECT_EQ(tool().count, INT_MIN + 1);
}

}  // namespace
