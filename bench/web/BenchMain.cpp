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

std::unique_ptr<Scene> scene;

}  // namespace

int main() {
  try {
    scene = std::make_unique<Scene>();
    const int joints = requestedJoints();
    if (joints > 0) {
      scene->game().tower = std::make_unique<Tower>();
      scene->build(Lattice::oneWindow(joints));
      scene->step(Scene::kSettleFrames);
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
