// A structure built to blow up: one free joint, then sixty placements each
// tied twice to it, all through the building tool. Its joints fly out past
// 10^5 pixels and on to infinity (and NaN, put in by hand) while the game
// keeps running, and every frame's picture is audited pixel by pixel: nothing
// may be painted that the world's geometry does not account for.

#include <SDL.h>
#include <SDL_gfxPrimitives.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "Constructer.h"
#include "GameFixture.h"
#include "Ground.h"
#include "Joint.h"
#include "Sight.h"
#include "Spring.h"
#include "Tower.h"

namespace {

constexpr int kSettleFrames = 5;
constexpr int kPlacementsOnHub = 60;
constexpr double kPlacementReach = 40.0;  // pixels from the hub to each new joint
constexpr double kGoldenAngle = 2.39996;  // radians between successive placements
constexpr int kFrames = 2400;             // past 10^5 near frame 1400, infinite near 1900
constexpr int kNaNFrame = 2200;           // NaN put in by hand from here on
constexpr double kFar = 1e5;              // pixels
constexpr int kSlack = 2;                 // pixels an anti-aliased edge may reach beyond the ideal shape
constexpr int kDiscReach = Joint::kRadius + kSlack;
constexpr int kRawEvidenceFrames = 10;  // frames of raw-call evidence that are enough

// Where a world coordinate lands on the screen under offset o: trunc(w) + o.
double screen(float w, std::int32_t o) { return std::trunc(static_cast<double>(w)) + o; }

bool finite(double x, double y) { return std::isfinite(x) && std::isfinite(y); }

// Calls f(x, y) at every column (or, for a steep segment, every row) of the
// segment from (ax, ay) to (bx, by) within [x0, x1] × [y0, y1]: one point
// of the ideal line per step. Each point is worked out from the end nearer to
// it, so that an end 10^18 pixels away costs no precision near the window.
template <typename F>
void walk(double ax, double ay, double bx, double by, double x0, double y0, double x1, double y1, F f) {
  if (!finite(ax, ay) || !finite(bx, by)) return;
  const bool flat = std::fabs(bx - ax) >= std::fabs(by - ay);
  // Along u (x when flat), across v.
  const double ua = flat ? ax : ay;
  const double va = flat ? ay : ax;
  const double ub = flat ? bx : by;
  const double vb = flat ? by : bx;
  const double lo = std::max(std::min(ua, ub), flat ? x0 : y0);
  const double hi = std::min(std::max(ua, ub), flat ? x1 : y1);
  const double slope = ua == ub ? 0.0 : (vb - va) / (ub - ua);
  if (!(lo <= hi)) return;
  const auto steps = static_cast<long>(std::floor(hi) - std::ceil(lo));
  for (long i = 0; i <= steps; ++i) {
    const double u = std::ceil(lo) + static_cast<double>(i);
    const bool nearA = std::fabs(u - ua) <= std::fabs(u - ub);
    const double v = nearA ? va + (u - ua) * slope : vb + (u - ub) * slope;
    const double x = flat ? u : v;
    const double y = flat ? v : u;
    if (x >= x0 && x <= x1 && y >= y0 && y <= y1) f(x, y);
  }
}

// The pixels a frame may paint: within kSlack of a drawn segment, inside the
// square around a drawn disc or ring, or part of the terrain.
class Allowed {
 public:
  Allowed(int w, int h, std::vector<bool> ground) : w_(w), h_(h), ground_(std::move(ground)), on_(ground_) {}

  void reset() { on_ = ground_; }

  void segment(double ax, double ay, double bx, double by) {
    const double m = kSlack + 1;
    walk(ax, ay, bx, by, -m, -m, w_ - 1 + m, h_ - 1 + m, [&](double x, double y) { square(x, y, kSlack); });
  }

  void disc(double x, double y) {
    if (finite(x, y)) square(x, y, kDiscReach);
  }

  bool operator()(int x, int y) const { return on_[index(x, y)]; }

 private:
  void square(double cx, double cy, int r) {
    if (!(std::fabs(cx) < 1e6 && std::fabs(cy) < 1e6)) return;
    const int x = static_cast<int>(std::lround(cx));
    const int y = static_cast<int>(std::lround(cy));
    for (int j = std::max(0, y - r); j <= std::min(h_ - 1, y + r); ++j)
      for (int i = std::max(0, x - r); i <= std::min(w_ - 1, x + r); ++i) on_[index(i, j)] = true;
  }

  std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) + static_cast<std::size_t>(x);
  }

  int w_;
  int h_;
  std::vector<bool> ground_;
  std::vector<bool> on_;
};

std::uint32_t rawPixel(SDL_Surface* s, int x, int y) {
  return static_cast<const std::uint32_t*>(s->pixels)[y * (s->pitch / 4) + x];
}

// Painted pixels outside what is allowed.
int strays(SDL_Surface* s, const Allowed& allowed, std::uint32_t grey) {
  int n = 0;
  for (int y = 0; y < s->h; ++y)
    for (int x = 0; x < s->w; ++x)
      if (rawPixel(s, x, y) != grey && !allowed(x, y)) ++n;
  return n;
}

// What a plain int16 narrowing would hand SDL_gfx: the float converted as the
// processor does (NaN and out-of-range give INT32_MIN), the offset added with
// wrap, and the low 16 bits kept.
Sint16 wrapped(float w, std::int32_t o) {
  const double t = std::trunc(static_cast<double>(w));
  const std::int32_t i = (t >= -2147483648.0 && t <= 2147483647.0) ? static_cast<std::int32_t>(t)
                                                                   : std::numeric_limits<std::int32_t>::min();
  const auto sum = static_cast<std::uint32_t>(i) + static_cast<std::uint32_t>(o);
  return static_cast<Sint16>(static_cast<std::uint16_t>(sum));
}

bool fits16(double v) { return v >= -32768.0 && v <= 32767.0; }

class Explosion : public GameTest {
 protected:
  // The terrain is the same in every frame at offset (0, 0): its pixels are allowed.
  std::vector<bool> groundPixels() {
    SDL_Surface* g = makeSurface32();
    fill(g, kGrey);
    game->screen->surface = g;
    game->ground->draw(0, 0);
    game->screen->surface = canvas;
    const std::uint32_t grey = SDL_MapRGB(g->format, kGrey.r, kGrey.g, kGrey.b);
    std::vector<bool> on;
    on.reserve(static_cast<std::size_t>(g->w) * static_cast<std::size_t>(g->h));
    for (int y = 0; y < g->h; ++y)
      for (int x = 0; x < g->w; ++x) on.push_back(rawPixel(g, x, y) != grey);
    SDL_FreeSurface(g);
    return on;
  }

  // Everything the frame just drawn may have painted.
  void account(Allowed& allowed) const {
    allowed.reset();
    const std::int32_t ox = game->sight->x;
    const std::int32_t oy = game->sight->y;
    for (const auto& s : game->tower->springs)
      allowed.segment(screen(s->a.pos.x, ox), screen(s->a.pos.y, oy), screen(s->b.pos.x, ox),
                      screen(s->b.pos.y, oy));
    for (const auto& j : game->tower->joints) allowed.disc(screen(j->pos.x, ox), screen(j->pos.y, oy));
    const Joint* first = game->constructer->first;
    const Joint* second = game->constructer->second;
    for (const Joint* j : {first, second}) {
      if (j == nullptr) continue;
      allowed.disc(screen(j->pos.x, ox), screen(j->pos.y, oy));
      if (first != nullptr && second != nullptr)
        allowed.segment(FakeInput::x, FakeInput::y, screen(j->pos.x, ox), screen(j->pos.y, oy));
    }
    if (first != nullptr && second != nullptr) allowed.disc(FakeInput::x, FakeInput::y);
  }

  // Shapes that reach into the window but were not painted there.
  int missing() const {
    const std::int32_t ox = game->sight->x;
    const std::int32_t oy = game->sight->y;
    const std::uint32_t grey = SDL_MapRGB(canvas->format, kGrey.r, kGrey.g, kGrey.b);
    const auto paintedNear = [&](double x, double y) {
      const int cx = static_cast<int>(std::lround(x));
      const int cy = static_cast<int>(std::lround(y));
      for (int j = cy - 1; j <= cy + 1; ++j)
        for (int i = cx - 1; i <= cx + 1; ++i)
          if (i >= 0 && j >= 0 && i < canvas->w && j < canvas->h && rawPixel(canvas, i, j) != grey)
            return true;
      return false;
    };
    int n = 0;
    for (const auto& s : game->tower->springs) {
      const double ax = screen(s->a.pos.x, ox);
      const double ay = screen(s->a.pos.y, oy);
      const double bx = screen(s->b.pos.x, ox);
      const double by = screen(s->b.pos.y, oy);
      std::vector<std::pair<double, double>> inside;
      walk(ax, ay, bx, by, 2, 2, canvas->w - 3, canvas->h - 3,
           [&](double x, double y) { inside.emplace_back(x, y); });
      if (inside.size() < 4) continue;
      const auto [mx, my] = inside[inside.size() / 2];
      if (!paintedNear(mx, my)) ++n;
    }
    for (const auto& j : game->tower->joints) {
      const double x = screen(j->pos.x, ox);
      const double y = screen(j->pos.y, oy);
      if (finite(x, y) && x >= 0 && y >= 0 && x < canvas->w && y < canvas->h && !paintedNear(x, y)) ++n;
    }
    return n;
  }

  bool beyond16Bits() const {
    for (const auto& j : game->tower->joints)
      if (!fits16(screen(j->pos.x, game->sight->x)) || !fits16(screen(j->pos.y, game->sight->y))) return true;
    return false;
  }

  // The same frame drawn with raw SDL_gfx calls on wrapped 16-bit coordinates.
  void drawRaw(SDL_Surface* s) {
    fill(s, kGrey);
    game->screen->surface = s;
    game->ground->draw(0, 0);
    game->screen->surface = canvas;
    const std::int32_t ox = game->sight->x;
    const std::int32_t oy = game->sight->y;
    for (const auto& sp : game->tower->springs)
      aalineRGBA(s, wrapped(sp->a.pos.x, ox), wrapped(sp->a.pos.y, oy), wrapped(sp->b.pos.x, ox),
                 wrapped(sp->b.pos.y, oy), 255, 255, 255, 255);
    for (const auto& j : game->tower->joints) {
      filledCircleRGBA(s, wrapped(j->pos.x, ox), wrapped(j->pos.y, oy), Joint::kRadius, 206, 101, 0, 255);
      aacircleRGBA(s, wrapped(j->pos.x, ox), wrapped(j->pos.y, oy), Joint::kRadius, 206, 101, 0, 255);
    }
  }
};

TEST_F(Explosion, SixtyPlacementsOnOneJointBlowUpAndNothingStrayIsDrawn) {
  Allowed allowed(canvas->w, canvas->h, groundPixels());
  const std::uint32_t grey = SDL_MapRGB(canvas->format, kGrey.r, kGrey.g, kGrey.b);
  SDL_Surface* raw = makeSurface32();

  // Clicks in order: two anchors and a spot (the hub), then the hub twice and
  // a spot near it, sixty times. Each click is pressed for one frame.
  int clicks = 0;
  int placements = 0;
  Joint* hub = nullptr;
  int firstFar = -1;  // frames in which something first happened
  int firstInfinite = -1;
  int firstNaN = -1;
  int strayFrames = 0;  // frames with stray pixels, and the worst of them
  int worstStrays = 0;
  int firstStrayFrame = -1;
  int missingFrames = 0;  // frames with a shape missing from the window
  int firstMissingFrame = -1;
  int rawStrayFrames = 0;  // the same, drawn with wrapped coordinates
  int rawStrays = 0;

  runFrames(kFrames, [&](int frame) {
    if (frame > 0) {  // audit the frame just drawn
      account(allowed);
      const int n = strays(canvas, allowed, grey);
      if (n > 0 && strayFrames++ == 0) firstStrayFrame = frame - 1;
      worstStrays = std::max(worstStrays, n);
      const int m = missing();
      if (m > 0 && missingFrames++ == 0) firstMissingFrame = frame - 1;
      if (rawStrayFrames < kRawEvidenceFrames && beyond16Bits()) {
        drawRaw(raw);
        const int r = strays(raw, allowed, grey);
        if (r > 0) ++rawStrayFrames;
        rawStrays += r;
      }
      for (const auto& j : game->tower->joints) {
        const float x = j->pos.x;
        const float y = j->pos.y;
        if (firstFar < 0 && (std::fabs(x) > kFar || std::fabs(y) > kFar)) firstFar = frame - 1;
        if (firstInfinite < 0 && (std::isinf(x) || std::isinf(y))) firstInfinite = frame - 1;
        if (firstNaN < 0 && (std::isnan(x) || std::isnan(y))) firstNaN = frame - 1;
      }
    }

    // A spring stops pushing once an end is infinite, so the blow-up ends at
    // infinity: a joint turns NaN only where infinities of opposite sign
    // meet, which this structure does not reach. Its last frames get NaN
    // positions by hand.
    if (frame == kNaNFrame) {
      auto& joints = game->tower->joints;
      const float nan = std::numeric_limits<float>::quiet_NaN();
      joints[5]->pos = {nan, nan};
      joints[6]->pos.x = nan;
      joints[7]->pos.y = nan;
    }

    // The next frame's input: odd frames release, even ones click.
    FakeInput::buttons = 0;
    if (frame < kSettleFrames || frame % 2 == 1 || placements > kPlacementsOnHub) return;
    if (hub == nullptr && game->tower->joints.size() > 4) hub = game->tower->joints[4].get();
    double x = 0;
    double y = 0;
    if (hub == nullptr) {
      const Joint& a = *game->tower->joints[1 + static_cast<std::size_t>(clicks)];
      x = clicks < 2 ? a.pos.x : 320.0;
      y = clicks < 2 ? a.pos.y : 300.0;
    } else if (clicks % 3 < 2) {
      x = hub->pos.x;
      y = hub->pos.y;
    } else {
      const double angle = placements * kGoldenAngle;
      x = hub->pos.x + kPlacementReach * std::cos(angle);
      y = hub->pos.y + kPlacementReach * std::sin(angle);
    }
    // Set the cursor without motion: these clicks must not pan.
    FakeInput::x = static_cast<int>(std::trunc(x));
    FakeInput::y = static_cast<int>(std::trunc(y));
    FakeInput::dx = FakeInput::dy = 0;
    FakeInput::buttons = SDL_BUTTON(SDL_BUTTON_LEFT);
    if (clicks++ % 3 == 2) ++placements;
  });
  SDL_FreeSurface(raw);

  // Built as intended: the hub on two anchors, then sixty joints each tied
  // by both springs to the hub.
  ASSERT_NE(hub, nullptr);
  const auto& springs = game->tower->springs;
  ASSERT_EQ(game->tower->joints.size(), 4u + 1u + kPlacementsOnHub);
  ASSERT_EQ(springs.size(), 2u * (1u + kPlacementsOnHub));
  for (std::size_t i = 2; i < springs.size(); ++i) {
    EXPECT_EQ(&springs[i]->a, game->tower->joints[4 + i / 2].get()) << i;
    EXPECT_EQ(&springs[i]->b, hub) << i;
  }
  EXPECT_EQ(game->sight->x, 0);
  EXPECT_EQ(game->sight->y, 0);

  // It blew up on its own: past 10^5, then to infinity.
  EXPECT_GT(firstFar, 0);
  EXPECT_GT(firstInfinite, firstFar);
  EXPECT_LT(firstInfinite, kNaNFrame);
  EXPECT_EQ(firstNaN, kNaNFrame);
  std::printf("past 1e5 in frame %d, infinite in %d\n", firstFar, firstInfinite);

  // Every frame's picture holds nothing the geometry does not explain, and
  // everything of it that reaches into the window.
  EXPECT_EQ(strayFrames, 0) << "first in frame " << firstStrayFrame << ", up to " << worstStrays << " pixels";
  EXPECT_EQ(missingFrames, 0) << "first in frame " << firstMissingFrame;

  // The same frames drawn with the wrapped coordinates do paint strays: the
  // audit sees what the clipping prevents.
  EXPECT_EQ(rawStrayFrames, kRawEvidenceFrames);
  std::printf("raw calls painted %d stray pixels in %d frames\n", rawStrays, rawStrayFrames);
}

}  // namespace
