// The entry point of the browser build: the game on the page's canvas,
// driven by the browser's frames (WebLoop). A start-up failure is shown on
// the page (src/web/shell.html).
#include <emscripten/emscripten.h>

#include <exception>
#include <memory>

#include "Tavelond.h"
#include "WebLoop.h"
#include "WebScreen.h"

EM_JS(void, pageFailed, (const char* message), {
  const text = UTF8ToString(message);
  const f = Module['page'] && Module['page']['failed'];
  if (f)
    f(text);
  else
    err('Error: ' + text);
});

namespace {

std::unique_ptr<Tavelond> game;

void ended() { game.reset(); }

}  // namespace

int main() {
  try {
    game = std::make_unique<Tavelond>();
    // The world is built for a 640x480 surface; the page's screen replaces
    // the plain one before anything is drawn.
    game->screen = std::make_unique<WebScreen>("Tavelond", Tavelond::kWidth, Tavelond::kHeight);
  } catch (const std::exception& e) {
    game.reset();
    pageFailed(e.what());
    return 1;
  }
  webloop::start(*game, ended);
  return 0;
}
