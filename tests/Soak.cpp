#include "Soak.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>
#include <vector>

#include "Constructer.h"
#include "GameFixture.h"
#include "Ground.h"
#include "Joint.h"
#include "Screen.h"
#include "Sight.h"
#include "Spring.h"
#include "StaticJoint.h"
#include "Tavelond.h"
#include "Tower.h"

namespace soak {
namespace {

constexpr int kFarPan = 40000;      // pixels, one long drag of the view
constexpr int kFarPanFrames = 10;   // frames the long drag is spread over
constexpr int kCursorSlack = 100;   // pixels the cursor may stray beyond the window
constexpr int kBuildReach = 100;    // pixels from a selected joint to a new one
constexpr int kBuildsPerJoint = 2;  // a build goes ahead with odds 1 in (joints / this)
constexpr int kAimsPerJoint = 16;   // a click aims at a joint with odds 1 in (joints / this)
constexpr int kHubRarity = 8;       // one build in this many ties a run of joints to one joint
constexpr int kHubSmallest = 30;    // placements in such a run
constexpr int kHubLargest = 70;
constexpr std::uint32_t kClockStart = 0xFFFFFFFFu - 5000u;  // ms: the tick counter wraps early on
constexpr std::uint32_t kSlowestFrameMs = 40;

constexpr std::uint8_t kLeft = SDL_BUTTON(SDL_BUTTON_LEFT);
constexpr std::uint8_t kMiddle = SDL_BUTTON(SDL_BUTTON_MIDDLE);
constexpr std::uint8_t kRight = SDL_BUTTON(SDL_BUTTON_RIGHT);

// Keys that must do nothing, pressed alongside the ones that act.
constexpr SDLKey kIdleKeys[] = {SDLK_F1, SDLK_F2,  SDLK_F3,    SDLK_F4,      SDLK_F6,     SDLK_F7,
                                SDLK_F8, SDLK_F11, SDLK_a,     SDLK_SPACE,   SDLK_RETURN, SDLK_LSHIFT,
                                SDLK_UP, SDLK_TAB, SDLK_PAUSE, SDLK_KP_ENTER};

// One frame of input: where the cursor goes, extra relative motion (a
// grabbed mouse), the buttons held, and events queued before the frame.
struct Step {
  int x = 0;
  int y = 0;
  int dx = 0;
  int dy = 0;
  std::uint8_t buttons = 0;
  std::vector<SDL_Event> events;
};

// The clock behind the seam. waitFrame reads it twice in every frame, the
// second time after the wait: that reading closes the frame.
struct Clock {
  static inline std::uint32_t now = 0;
  static inline std::uint64_t readings = 0;
  static inline std::uint32_t frameCost = 0;  // ms the next frame takes
  static inline std::uint32_t longestDelay = 0;
  static inline std::function<void()> onFrameEnd;

  static std::uint32_t ticks() {
    const std::uint64_t n = readings++;
    if (n > 0 && n % 2 == 1) now += frameCost;  // the frame's own work
    if (n > 0 && n % 2 == 0 && onFrameEnd) onFrameEnd();
    return now;
  }
  static void delay(std::uint32_t ms) {
    longestDelay = std::max(longestDelay, ms);
    now += ms;
  }
};

class Player {
 public:
  Player(Tavelond& game, std::uint64_t seed) : game_(game), rng_(seed) {}

  // Queues the input of the coming frame.
  void next(Figures& figures) {
    if (steps_.empty()) plan(figures);
    if (steps_.empty()) steps_.push_back(here());
    Step s = std::move(steps_.front());
    steps_.pop_front();
    FakeInput::moveTo(s.x, s.y);
    FakeInput::dx += s.dx;
    FakeInput::dy += s.dy;
    FakeInput::buttons = s.buttons;
    for (SDL_Event& e : s.events) SDL_PushEvent(&e);
    cursorX_ = s.x;
    cursorY_ = s.y;
  }

 private:
  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(int oneIn) { return uniform(1, oneIn) == 1; }

  static Step at(int x, int y, std::uint8_t buttons = 0) {
    Step s;
    s.x = x;
    s.y = y;
    s.buttons = buttons;
    return s;
  }
  Step here(std::uint8_t buttons = 0) { return at(cursorX_, cursorY_, buttons); }
  std::pair<int, int> anywhere() {
    return {uniform(-kCursorSlack, Tavelond::kWidth + kCursorSlack),
            uniform(-kCursorSlack, Tavelond::kHeight + kCursorSlack)};
  }

  const Joint* anyJoint() {
    const auto& joints = game_.tower->joints;
    return joints[static_cast<std::size_t>(uniform(0, static_cast<int>(joints.size()) - 1))].get();
  }

  // Cursor position over a random joint, if one can be reached.
  bool overJoint(int& x, int& y) { return over(*anyJoint(), x, y); }

  // Cursor position over joint j, if it can be reached.
  bool over(const Joint& j, int& x, int& y) {
    const double sx = std::trunc(static_cast<double>(j.pos.x)) + game_.sight->x;
    const double sy = std::trunc(static_cast<double>(j.pos.y)) + game_.sight->y;
    if (!(std::fabs(sx) < 4 * Tavelond::kWidth && std::fabs(sy) < 4 * Tavelond::kHeight)) return false;
    x = static_cast<int>(sx);
    y = static_cast<int>(sy);
    return true;
  }

  // Move there, press, release: one click of `button`.
  void click(int x, int y, std::uint8_t button) {
    steps_.push_back(at(x, y));
    steps_.push_back(at(x, y, button));
    steps_.push_back(at(x, y));
  }

  // A drag of (dx, dy) pixels spread over a few frames, by a grabbed mouse.
  void spreadPan(int dx, int dy) {
    steps_.push_back(here(kLeft));
    for (int i = 0; i < kFarPanFrames; ++i) {
      Step s = here(kLeft);
      s.dx = dx / kFarPanFrames + (i == 0 ? dx % kFarPanFrames : 0);
      s.dy = dy / kFarPanFrames + (i == 0 ? dy % kFarPanFrames : 0);
      steps_.push_back(std::move(s));
    }
    steps_.push_back(here());
  }

  void plan(Figures& figures) {
    const auto [x, y] = anywhere();
    int jx = 0;
    int jy = 0;
    if (hubLeft_ > 0) {  // one more joint tied twice to the hub, wherever it has gone
      --hubLeft_;
      if (!over(*hub_, jx, jy)) return;
      click(jx, jy, kLeft);
      click(jx, jy, kLeft);
      click(jx + uniform(-kBuildReach / 2, kBuildReach / 2), jy + uniform(-kBuildReach / 2, kBuildReach / 2),
            kLeft);
      return;
    }
    const int joints = static_cast<int>(game_.tower->joints.size());
    switch (uniform(0, 13)) {
      case 0:
      case 1:
      case 2:  // nothing for a while
        for (int i = uniform(1, 30); i > 0; --i) steps_.push_back(here());
        break;
      case 3:  // wander
        for (int i = uniform(1, 8); i > 0; --i) {
          const auto [wx, wy] = anywhere();
          steps_.push_back(at(wx, wy));
        }
        break;
      case 4:  // click a joint (less often as the tower grows), or empty space
        if (chance(std::max(1, joints / kAimsPerJoint)) && overJoint(jx, jy))
          click(jx, jy, kLeft);
        else
          click(x, y, kLeft);
        break;
      case 5:
        click(x, y, kLeft);
        break;
      case 6:  // build: two joints (maybe the same one twice), then a spot near the first
        if (!chance(std::max(1, joints / kBuildsPerJoint)) || !overJoint(jx, jy)) break;
        if (chance(kHubRarity)) {  // many joints on one: this is how a structure explodes
          hub_ = anyJoint();
          hubLeft_ = uniform(kHubSmallest, kHubLargest);
          ++figures.hubs;
          break;
        }
        click(jx, jy, kLeft);
        if (!chance(5)) overJoint(jx, jy);  // else the same joint twice
        click(jx, jy, kLeft);
        click(jx + uniform(-kBuildReach, kBuildReach), jy + uniform(-kBuildReach, kBuildReach), kLeft);
        break;
      case 7: {  // right click, at times with a left press in the same frame
        const std::uint8_t b = chance(3) ? (kLeft | kRight) : kRight;
        click(x, y, b);
        break;
      }
      case 8:  // middle or left held, the others pressed meanwhile
        for (int i = uniform(2, 20); i > 0; --i)
          steps_.push_back(here(static_cast<std::uint8_t>(chance(2) ? kMiddle : kLeft) |
                                static_cast<std::uint8_t>(chance(4) ? kRight : 0)));
        steps_.push_back(here());
        break;
      case 9: {  // a drag that pans the view, at times all the way home
        if (chance(4)) {
          spreadPan(-game_.sight->x, -game_.sight->y);
          farX_ = 0;
          farY_ = 0;
          break;
        }
        int cx = x;
        int cy = y;
        steps_.push_back(at(cx, cy, kLeft));
        for (int i = uniform(1, 30); i > 0; --i) {
          cx = std::clamp(cx + uniform(-60, 60), -kCursorSlack, Tavelond::kWidth + kCursorSlack);
          cy = std::clamp(cy + uniform(-60, 60), -kCursorSlack, Tavelond::kHeight + kCursorSlack);
          steps_.push_back(at(cx, cy, kLeft));
        }
        steps_.push_back(at(cx, cy));
        break;
      }
      case 10: {  // 40,000 pixels away, or back again
        const bool back = farX_ != 0 || farY_ != 0;
        if (!chance(back ? 3 : 20)) break;  // far away, the structure is out of reach: come back soon
        const int sx = back ? -farX_ : (chance(2) ? kFarPan : -kFarPan) * uniform(0, 1);
        const int sy = back ? -farY_ : (chance(2) ? kFarPan : -kFarPan) * (sx == 0 ? 1 : uniform(0, 1));
        spreadPan(sx, sy);
        farX_ += sx;
        farY_ += sy;
        ++figures.farPans;
        break;
      }
      case 11:
      case 12: {  // a key that acts, or one that does nothing, at times twice
        SDLKey key = kIdleKeys[uniform(0, std::size(kIdleKeys) - 1)];
        switch (uniform(0, 9)) {
          case 0:
            key = SDLK_F5;
            break;
          case 1:
            key = SDLK_F9;
            ++figures.toggles;
            break;
          case 2:
            key = SDLK_F10;
            break;
          case 3:
            if (!chance(5)) break;  // each screenshot writes a megabyte
            key = SDLK_F12;
            ++figures.screenshots;
            break;
          default:
            break;
        }
        Step s = here(FakeInput::buttons);
        const auto mod = static_cast<SDLMod>(chance(3) ? KMOD_LSHIFT : KMOD_NONE);
        const int times = chance(6) ? 2 : 1;
        for (int i = 0; i < times; ++i) {
          s.events.push_back(keyEvent(key, SDL_KEYDOWN, mod));
          s.events.push_back(keyEvent(key, SDL_KEYUP, mod));
        }
        if (key == SDLK_F9 && times == 2) ++figures.toggles;
        steps_.push_back(std::move(s));
        break;
      }
      case 13: {  // events the loop takes and ignores
        Step s = here();
        for (Uint8 type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_ACTIVEEVENT,
                           SDL_VIDEOEXPOSE, SDL_USEREVENT}) {
          if (!chance(2)) continue;
          SDL_Event e{};
          e.type = type;
          s.events.push_back(e);
        }
        steps_.push_back(std::move(s));
        break;
      }
    }
  }

  Tavelond& game_;
  std::mt19937_64 rng_;
  std::deque<Step> steps_;
  int cursorX_ = Tavelond::kWidth / 2;
  int cursorY_ = Tavelond::kHeight / 2;
  int farX_ = 0;  // pixels of far pan not yet undone
  const Joint* hub_ = nullptr;
  int hubLeft_ = 0;  // placements still to tie to hub_
  int farY_ = 0;
};

// What must hold after every frame.
class Watch {
 public:
  explicit Watch(const Tavelond& game) : game_(game) {
    for (const auto& j : game.tower->joints) {
      anchors_.push_back(j.get());
      anchorX_.push_back(std::bit_cast<std::uint32_t>(j->pos.x));
    }
  }

  std::string check() {
    std::ostringstream why;
    const auto& joints = game_.tower->joints;
    const auto& springs = game_.tower->springs;

    // The lists only grow: what was there is still there, in its place.
    if (joints.size() < joints_.size() || springs.size() < springs_.size()) return "a list shrank";
    for (std::size_t i = 0; i < joints_.size(); ++i)
      if (joints[i].get() != joints_[i]) return "joint " + std::to_string(i) + " was replaced";
    for (std::size_t i = 0; i < springs_.size(); ++i)
      if (springs[i].get() != springs_[i]) return "spring " + std::to_string(i) + " was replaced";
    for (std::size_t i = joints_.size(); i < joints.size(); ++i) {
      if (i >= anchors_.size() && dynamic_cast<const StaticJoint*>(joints[i].get()) != nullptr)
        return "an anchor was added after the start";
      joints_.push_back(joints[i].get());
    }
    for (std::size_t i = springs_.size(); i < springs.size(); ++i) springs_.push_back(springs[i].get());
    if (springs.size() != 2 * (joints.size() - anchors_.size())) return "not two springs per placed joint";

    // The anchors head the list and never leave their x.
    for (std::size_t i = 0; i < anchors_.size(); ++i) {
      if (dynamic_cast<const StaticJoint*>(joints[i].get()) == nullptr)
        return "the anchors do not head joints";
      if (std::bit_cast<std::uint32_t>(joints[i]->pos.x) != anchorX_[i]) {
        why << "anchor " << i << " moved to x = " << joints[i]->pos.x;
        return why.str();
      }
    }

    // After its step every joint with a finite position is on or above the
    // terrain: below it, it would have been put back onto the height rounded
    // to a float, and rounding keeps order.
    for (std::size_t i = 0; i < joints.size(); ++i) {
      const Vector p = joints[i]->pos;
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
      const float ground = static_cast<float>(game_.ground->height(p.x));
      if (!(p.y <= ground)) {
        why << "joint " << i << " at (" << p.x << ", " << p.y << ") is under the terrain at " << ground;
        return why.str();
      }
    }

    // The selection is (none, none), (J, none) or (J, K), of joints in the tower.
    const Joint* first = game_.constructer->first;
    const Joint* second = game_.constructer->second;
    if (first == nullptr && second != nullptr) return "a second joint is selected without a first";
    for (const Joint* s : {first, second})
      if (s != nullptr && std::find(joints_.begin(), joints_.end(), s) == joints_.end())
        return "a selected joint is not in the tower";

    if (Clock::longestDelay > Tavelond::kFrameMs) return "a frame wait longer than a frame";
    return {};
  }

 private:
  const Tavelond& game_;
  std::vector<const Joint*> anchors_;
  std::vector<std::uint32_t> anchorX_;
  std::vector<const Joint*> joints_;
  std::vector<const Spring*> springs_;
};

}  // namespace

Session::Session() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  home = std::filesystem::current_path();
  std::string tmpl = (std::filesystem::temp_directory_path() / "tavelond-soak-XXXXXX").string();
  scratch = mkdtemp(tmpl.data());
  std::filesystem::current_path(scratch);
  FakeInput::install();
  game = std::make_unique<Tavelond>();
  // The dummy driver starts at 8 bits; the toy's window is the display's
  // depth, which today means 32.
  game->screen->surface = SDL_SetVideoMode(Tavelond::kWidth, Tavelond::kHeight, 32, SDL_SWSURFACE);
}

Session::~Session() {
  game.reset();
  FakeInput::uninstall();
  Clock::onFrameEnd = nullptr;
  std::filesystem::current_path(home);
  std::filesystem::remove_all(scratch);
}

Figures Session::play(std::uint64_t seed, std::uint64_t frames, const Meddler& meddle) {
  Figures figures;
  if (game->screen->surface == nullptr) {
    figures.failure = "no 32-bit video surface";
    return figures;
  }
  Player player(*game, seed);
  Watch watch(*game);
  std::mt19937 clockRng(static_cast<std::uint32_t>(seed));

  Clock::now = kClockStart;
  Clock::readings = 0;
  Clock::longestDelay = 0;
  platform::ticks = Clock::ticks;
  platform::delay = Clock::delay;

  player.next(figures);
  Clock::onFrameEnd = [&] {
    ++figures.frames;
    if (meddle) meddle(*game, figures.frames);
    figures.failure = watch.check();
    if (!figures.failure.empty() || figures.frames == frames) {
      SDL_Event quit = keyEvent(SDLK_ESCAPE, SDL_KEYDOWN);
      SDL_PushEvent(&quit);
      return;
    }
    Clock::frameCost = std::uniform_int_distribution<std::uint32_t>(0, kSlowestFrameMs)(clockRng);
    player.next(figures);
  };
  game->run();
  Clock::onFrameEnd = nullptr;

  figures.joints = game->tower->joints.size();
  figures.springs = game->tower->springs.size();
  for (const auto& j : game->tower->joints)
    if (!std::isfinite(j->pos.x) || !std::isfinite(j->pos.y)) ++figures.unbounded;
  return figures;
}

}  // namespace soak
