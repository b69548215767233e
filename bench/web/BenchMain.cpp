// The browser benchmark's page (bench.html?joints=N): the game with a
// lattice of N joints (0: the first scene) grown through the building tool
// exactly as the desktop benchmark grows it (bench/Scene), settled, and
// then played in the page like the real game. scripts/web-bench.sh reads the
// frame rate and the script time of every frame.
#include <SDL.h>
#include <emscripten/emscripten.h>

#include <exception>
#include <memory>

#include "Platform.h"
#include "Scene.h"
#include "Tower.h"
#include "WebLoop.h"
#include "WebScreen.h"

EM_JS(int, requestedJoints, (), {
  const n = parseInt(new URLSearchParams(location.search).get('joints') || '0', 10);
  return Number.isFinite(n) && n > 0 ? n : 0;
});
EM_JS(void, benchFailed, (const char* message), { Module['page']['failed'](UTF8ToString(message)); });

namespace {

constexpr int kRows = 5;             // rows per lattice layer, as in bench/TavelondBench.cpp
constexpr int kRowGap = 20;          // pixels between rows
constexpr int kSpacing = 28;         // pixels between joints of a row
constexpr int kColumns = 20;         // columns that fill one 640-pixel window
constexpr int kLeft = 70;            // pixels from the window's left edge to column 0
constexpr int kSettleFrames = 1000;  // steps taken before the page shows it

std::unique_ptr<Scene> scene;

}  // namespace

int main() {
  try {
    scene = std::make_unique<Scene>();
    const int joints = requestedJoints();
    if (joints > 0) {
      scene->game().tower = std::make_unique<Tower>();
      scene->build({kColumns, kRows, joints / (kColumns * kRows), kSpacing, kRowGap, kLeft});
      scene->step(kSettleFrames);
    }
  } catch (const std::exception& e) {
    benchFailed(e.what());
    return 1;
  }
  // From here on the game reads the real mouse and clock and draws on the page.
  platform::mouseState = SDL_GetMouseState;
  platform::relativeMouseState = SDL_GetRelativeMouseState;
  platform::ticks = SDL_GetTicks;
  platform::delay = SDL_Delay;
  Tavelond& game = scene->game();
  game.screen = std::make_unique<WebScreen>("Tavelond", Tavelond::kWidth, Tavelond::kHeight);
  webloop::start(game, nullptr);
  return 0;
}
