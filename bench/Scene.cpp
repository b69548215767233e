#include "Scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>

#include "Constructer.h"
#include "Ground.h"
#include "Joint.h"
#include "Platform.h"
#include "Screen.h"
#include "Sight.h"
#include "Tower.h"

namespace {

constexpr int kDepth = 32;         // bits per pixel of the drawing surface
constexpr std::uint8_t kLeft = 1;  // SDL_BUTTON(SDL_BUTTON_LEFT)
constexpr int kPickReach = 11;     // pixels: farthest click from a joint that still hits it

std::uint8_t mouse(int* x, int* y) {
  if (x != nullptr) *x = Scene::mouseX;
  if (y != nullptr) *y = Scene::mouseY;
  return Scene::buttons;
}

// The view never pans by itself: the scripted mouse has no motion.
std::uint8_t relative(int* dx, int* dy) {
  if (dx != nullptr) *dx = 0;
  if (dy != nullptr) *dy = 0;
  return Scene::buttons;
}

// A clock that stands still: every frame asks for the whole frame time.
std::uint32_t ticks() { return 0; }

// The frame wait ends the loop after one frame.
void delay(std::uint32_t) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}

// Every whole-pixel click offset that stays within a joint's reach, nearest
// first, so that a joint half covered by older ones can still be clicked
// from its uncovered side.
std::vector<std::array<int, 2>> clickOffsets() {
  std::vector<std::array<int, 2>> out;
  for (int dy = -kPickReach; dy <= kPickReach; ++dy) {
    for (int dx = -kPickReach; dx <= kPickReach; ++dx) {
      if (dx * dx + dy * dy < Joint::kRadius * Joint::kRadius) out.push_back({dx, dy});
    }
  }
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
    return a[0] * a[0] + a[1] * a[1] < b[0] * b[0] + b[1] * b[1];
  });
  return out;
}

// The game on the dummy driver, reading the scripted mouse and clock.
std::unique_ptr<Tavelond> startGame() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  platform::mouseState = mouse;
  platform::relativeMouseState = relative;
  platform::ticks = ticks;
  platform::delay = delay;
  return std::make_unique<Tavelond>();
}

}  // namespace

Scene::Scene()
    : game_(startGame()),
      video_(game_->screen->surface),
      canvas_(SDL_CreateRGBSurface(SDL_SWSURFACE, Tavelond::kWidth, Tavelond::kHeight, kDepth, 0x00FF0000,
                                   0x0000FF00, 0x000000FF, 0)) {
  if (canvas_ == nullptr) throw std::runtime_error("cannot make a 32-bit surface");
  game_->screen->surface = canvas_;
}

Scene::~Scene() {
  game_->screen->surface = video_;
  SDL_FreeSurface(canvas_);
  game_.reset();
}

void Scene::click(int x, int y) {
  mouseX = x;
  mouseY = y;
  buttons = kLeft;
  game_->constructer->move();
  buttons = 0;
  game_->constructer->move();
}

void Scene::select(const Joint& j) {
  static const auto offsets = clickOffsets();
  // A click picks the oldest joint that covers it; only those older than j
  // and near enough to share a point with it can take the click.
  constexpr double kNear = 2.0 * Joint::kRadius;  // pixels
  std::vector<const Joint*> older;
  for (const auto& o : game_->tower->joints) {
    if (o.get() == &j) break;
    if (std::hypot(o->pos.x - j.pos.x, o->pos.y - j.pos.y) < kNear) older.push_back(o.get());
  }
  const int jx = static_cast<int>(j.pos.x);
  const int jy = static_cast<int>(j.pos.y);
  const Sight& sight = *game_->sight;
  for (const auto& [dx, dy] : offsets) {
    const int wx = jx + dx;
    const int wy = jy + dy;
    if (!j.hitTest(wx, wy)) continue;
    if (std::any_of(older.begin(), older.end(), [&](const Joint* o) { return o->hitTest(wx, wy); })) continue;
    click(wx + sight.x, wy + sight.y);
    return;
  }
  throw std::runtime_error("no click picks the joint at " + std::to_string(jx) + "," + std::to_string(jy));
}

void Scene::build(const Lattice& l) {
  Tower& tower = *game_->tower;
  Constructer& tool = *game_->constructer;
  const Ground& ground = *game_->ground;
  const Sight& sight = *game_->sight;
  const Joint& anchor = *tower.joints.front();
  // Layer k lies k + 1 pixels above layer 0's place, which is the terrain.
  const auto at = [&](int r, int c, int k) {
    const int x = l.left + c * l.spacing + (r % 2 == 1 ? l.spacing / 2 : 0);
    const int y = static_cast<int>(ground.height(static_cast<float>(x))) - r * l.rowGap - (k + 1);
    return std::array<int, 2>{x, y};
  };
  std::vector<const Joint*> grid(static_cast<std::size_t>(l.joints()), nullptr);
  const auto cell = [&](int r, int c, int k) -> const Joint*& {
    const auto index =
        (static_cast<std::size_t>(r) * static_cast<std::size_t>(l.columns) + static_cast<std::size_t>(c)) *
            static_cast<std::size_t>(l.layers) +
        static_cast<std::size_t>(k);
    return grid[index];
  };
  const auto place = [&](int r, int c, int k, const Joint& a, const Joint& b) {
    select(a);
    if (tool.first != &a) throw std::runtime_error("first click missed");
    select(b);
    if (tool.second != &b) throw std::runtime_error("second click missed");
    const auto [x, y] = at(r, c, k);
    click(x + sight.x, y + sight.y);
    cell(r, c, k) = tower.joints.back().get();
  };

  // Rows from the bottom up, and in each row the layers from the bottom up:
  // so every joint older than another at the same x lies below it.
  // The bottom row grows outward from the column nearest the first anchor.
  const int start =
      std::clamp((static_cast<int>(anchor.pos.x) - l.left) / std::max(l.spacing, 1), 0, l.columns - 1);
  for (int k = 0; k < l.layers; ++k) {
    place(0, start, k, anchor, anchor);
    for (int c = start + 1; c < l.columns; ++c) {
      place(0, c, k, *cell(0, c - 1, k), c - 2 >= start ? *cell(0, c - 2, k) : anchor);
    }
    for (int c = start - 1; c >= 0; --c) {
      place(0, c, k, *cell(0, c + 1, k), c + 2 < l.columns ? *cell(0, c + 2, k) : anchor);
    }
  }
  // Every higher joint rests on the two joints of the row below that
  // straddle it: odd rows sit to the right of their column, even ones left.
  for (int r = 1; r < l.rows; ++r) {
    for (int k = 0; k < l.layers; ++k) {
      for (int c = 0; c < l.columns; ++c) {
        int lo = r % 2 == 1 ? c : c - 1;
        int hi = lo + 1;
        if (lo < 0) lo = hi + 1;
        if (hi >= l.columns) hi = lo - 1;
        lo = std::clamp(lo, 0, l.columns - 1);
        hi = std::clamp(hi, 0, l.columns - 1);
        place(r, c, k, *cell(r - 1, lo, k), *cell(r - 1, hi, k));
      }
    }
  }
}

float Scene::topSpeed() const {
  float top = 0.0f;
  for (const auto& j : game_->tower->joints) {
    top = std::max(top, static_cast<float>(j->vel.length()));
  }
  return top;
}

void Scene::step(int frames) {
  for (int f = 0; f < frames; ++f) game_->tower->move();
}

Scene::Box Scene::extent() const {
  int x0 = std::numeric_limits<int>::max();
  int y0 = x0;
  int x1 = std::numeric_limits<int>::min();
  int y1 = x1;
  const Sight& sight = *game_->sight;
  for (const auto& j : game_->tower->joints) {
    const int x = static_cast<int>(j->pos.x) + sight.x;
    const int y = static_cast<int>(j->pos.y) + sight.y;
    x0 = std::min(x0, x);
    y0 = std::min(y0, y);
    x1 = std::max(x1, x);
    y1 = std::max(y1, y);
  }
  return {x0, y0, x1, y1};
}

void Scene::frame() { game_->run(); }
