// Cost of the world step and of whole frames against the SDL_gfx calls a
// frame cannot avoid. Structures are grown through the building tool, left
// to settle, and kept for every case that shows them.
#include <SDL.h>
#include <SDL_gfxPrimitives.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Constructer.h"
#include "Ground.h"
#include "Joint.h"
#include "Pixels.h"
#include "Scene.h"
#include "Screen.h"
#include "Sight.h"
#include "Spring.h"
#include "StaticJoint.h"
#include "Tower.h"

namespace {

constexpr int kWideSpacing = 32;  // pixels between joints of a row, ten windows wide
constexpr int kWindows = 10;      // width of the wide structure, in windows
constexpr int kPannedWindow = 5;  // window of the wide structure on view

Lattice tenWindows(int n) {
  const int columns = Lattice::kColumns * kWindows;
  return {columns,      Lattice::kRows,   n / (columns * Lattice::kRows),
          kWideSpacing, Lattice::kRowGap, Lattice::kLeft};
}

Scene* scene = nullptr;

// Built structures by name, each parked while another is on show.
class Structures {
 public:
  // Puts the structure on show, building and settling it the first time.
  Tower& show(const std::string& name, const Lattice& lattice) {
    Tavelond& game = scene->game();
    if (name == current_) return *game.tower;
    if (!current_.empty()) parked_[current_] = std::move(game.tower);
    current_ = name;
    if (auto it = parked_.find(name); it != parked_.end()) {
      game.tower = std::move(it->second);
      parked_.erase(it);
      return *game.tower;
    }
    game.tower = std::make_unique<Tower>();
    scene->build(lattice);
    scene->step(Scene::kSettleFrames);
    return *game.tower;
  }

  void clear() {
    parked_.clear();
    current_.clear();
  }

 private:
  std::map<std::string, std::unique_ptr<Tower>> parked_;
  std::string current_;
};

Structures structures;

// The structure on show, or nothing when it could not be built: then the
// case is marked as failed and runs no iteration.
Tower* show(benchmark::State& state, const std::string& name, const Lattice& lattice) {
  try {
    return &structures.show(name, lattice);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return nullptr;
  }
}

void view(int ox, int oy) {
  scene->game().sight->x = ox;
  scene->game().sight->y = oy;
}

// Seconds per item, shown with an SI prefix (n for nanoseconds).
benchmark::Counter perItem(double items) {
  return {items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert};
}

// The fastest repetition: on a shared machine, other work only ever adds
// time, so the minimum is the steadiest estimate next to the median.
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// A whole structure must lie inside the window for the on-screen cases.
bool allOnScreen() {
  const Scene::Box b = scene->extent();
  return b.x0 >= 0 && b.y0 >= 0 && b.x1 < Tavelond::kWidth && b.y1 < Tavelond::kHeight;
}

// The case names are the ones the benchmark reports are read by.
// NOLINTNEXTLINE(readability-identifier-naming)
void BM_TowerMove(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Tower* tower =
      n > 1000 ? show(state, "wide", tenWindows(n)) : show(state, std::to_string(n), Lattice::oneWindow(n));
  if (tower == nullptr) return;
  for (auto _ : state) tower->move();  // NOLINT(clang-analyzer-deadcode.DeadStores)
  state.counters["per_joint"] = perItem(static_cast<double>(tower->joints.size()));
  state.counters["per_spring"] = perItem(static_cast<double>(tower->springs.size()));
  state.counters["top_speed"] = scene->topSpeed();
}
BENCHMARK(BM_TowerMove)->Arg(100)->Arg(1000)->Arg(10000)->ComputeStatistics("min", fastest);

// NOLINTNEXTLINE(readability-identifier-naming)
void BM_Frame(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Tower* tower = show(state, std::to_string(n), Lattice::oneWindow(n));
  if (tower == nullptr) return;
  view(0, 0);
  if (!allOnScreen()) state.SkipWithError("structure reaches beyond the window");
  for (auto _ : state) scene->frame();  // NOLINT(clang-analyzer-deadcode.DeadStores)
  // Stable for the whole run: still all on screen after every frame taken.
  if (!allOnScreen()) state.SkipWithError("structure wandered beyond the window");
  state.counters["joints"] = static_cast<double>(tower->joints.size());
  state.counters["springs"] = static_cast<double>(tower->springs.size());
  state.counters["top_speed"] = scene->topSpeed();
}
BENCHMARK(BM_Frame)
    ->Arg(0)  // the first scene: the four anchors alone
    ->Arg(100)
    ->Arg(1000)
    ->Arg(2000)  // beside the browser build's figures (scripts/web-bench.sh)
    ->Arg(4000)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", fastest);

// One SDL_gfx call with its arguments ready.
struct Call {
  enum Kind { kLine, kRing, kDisc } kind;
  Sint16 x1, y1, x2, y2;  // a line's ends, or a circle's centre and radius in x2
  Uint8 r, g, b, a;
};

Sint16 screenCoord(float world, int offset) {
  return static_cast<Sint16>(static_cast<std::int32_t>(world) + offset);
}

// The calls a frame of this structure makes with nothing selected, in the
// frame's order, for a view where everything fits 16-bit coordinates.
std::vector<Call> frameCalls(int ox, int oy) {
  Tavelond& game = scene->game();
  std::vector<Call> calls;
  const int w = game.screen->surface->w;
  constexpr int kPeriod = 8;
  constexpr int kDash = 4;
  const auto groundY = [&](int sx) {
    const float x = static_cast<float>(sx - ox);
    return screenCoord(static_cast<float>(game.ground->height(x)), oy);
  };
  for (int i = 0; i <= w; i += kPeriod) {
    const int left = i - kDash;
    calls.push_back({Call::kLine, static_cast<Sint16>(left), groundY(left), static_cast<Sint16>(i),
                     groundY(i), 255, 255, 255, 255});
  }
  for (const auto& s : game.tower->springs) {
    calls.push_back({Call::kLine, screenCoord(s->a.pos.x, ox), screenCoord(s->a.pos.y, oy),
                     screenCoord(s->b.pos.x, ox), screenCoord(s->b.pos.y, oy), 255, 255, 255, 255});
  }
  for (const auto& j : game.tower->joints) {
    const Sint16 x = screenCoord(j->pos.x, ox);
    const Sint16 y = screenCoord(j->pos.y, oy);
    const bool anchor = dynamic_cast<const StaticJoint*>(j.get()) != nullptr;
    const Sint16 r = Joint::kRadius;
    if (anchor) {
      calls.push_back({Call::kDisc, x, y, r, 0, 240, 0, 0, 255});
      calls.push_back({Call::kRing, x, y, r, 0, 240, 0, 0, 255});
      calls.push_back({Call::kDisc, x, y, StaticJoint::kCoreRadius, 0, 206, 101, 0, 255});
      calls.push_back({Call::kRing, x, y, StaticJoint::kCoreRadius, 0, 206, 101, 0, 255});
    } else {
      calls.push_back({Call::kDisc, x, y, r, 0, 206, 101, 0, 255});
      calls.push_back({Call::kRing, x, y, r, 0, 206, 101, 0, 255});
    }
  }
  return calls;
}

void play(SDL_Surface* s, const std::vector<Call>& calls) {
  for (const Call& c : calls) {
    switch (c.kind) {
      case Call::kLine:
        aalineRGBA(s, c.x1, c.y1, c.x2, c.y2, c.r, c.g, c.b, c.a);
        break;
      case Call::kRing:
        aacircleRGBA(s, c.x1, c.y1, c.x2, c.r, c.g, c.b, c.a);
        break;
      case Call::kDisc:
        filledCircleRGBA(s, c.x1, c.y1, c.x2, c.r, c.g, c.b, c.a);
        break;
    }
  }
}

// The frame's own drawing of the structure as it stands, without moving it.
void drawFrame() {
  Tavelond& game = scene->game();
  const int ox = game.sight->x;
  const int oy = game.sight->y;
  game.screen->clear(64, 64, 64);
  game.ground->draw(ox, oy);
  game.tower->draw(ox, oy);
  game.constructer->draw(ox, oy);
}

// NOLINTNEXTLINE(readability-identifier-naming)
void BM_DrawFloor(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Tower* tower = show(state, std::to_string(n), Lattice::oneWindow(n));
  if (tower == nullptr) return;
  view(0, 0);
  if (!allOnScreen()) state.SkipWithError("structure reaches beyond the window");
  const std::vector<Call> calls = frameCalls(0, 0);

  // The floor must be exactly the frame's drawing: compare the pictures.
  SDL_Surface* s = scene->surface();
  drawFrame();
  std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> frame(SDL_ConvertSurface(s, s->format, s->flags),
                                                                 SDL_FreeSurface);
  Tavelond& game = scene->game();
  game.screen->clear(64, 64, 64);
  play(s, calls);
  if (!frame || !samePixels(frame.get(), s)) state.SkipWithError("the floor's calls draw another picture");

  for (auto _ : state) play(s, calls);  // NOLINT(clang-analyzer-deadcode.DeadStores)
  state.counters["calls"] = static_cast<double>(calls.size());
  state.counters["joints"] = static_cast<double>(tower->joints.size());
}
BENCHMARK(BM_DrawFloor)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(4000)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", fastest);

// NOLINTNEXTLINE(readability-identifier-naming)
void BM_FrameOffscreen(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Tower* tower = show(state, "wide", tenWindows(n));
  if (tower == nullptr) return;
  view(-kPannedWindow * Tavelond::kWidth, 0);
  int visible = 0;
  for (const auto& j : tower->joints) {
    const int x = static_cast<int>(j->pos.x) + scene->game().sight->x;
    visible += x >= 0 && x < Tavelond::kWidth ? 1 : 0;
  }
  for (auto _ : state) scene->frame();  // NOLINT(clang-analyzer-deadcode.DeadStores)
  state.counters["joints"] = static_cast<double>(tower->joints.size());
  state.counters["visible"] = visible;
  view(0, 0);
}
BENCHMARK(BM_FrameOffscreen)->Arg(10000)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Scene s;
  scene = &s;
  benchmark::RunSpecifiedBenchmarks();
  structures.clear();
  scene = nullptr;
  benchmark::Shutdown();
  return 0;
}
