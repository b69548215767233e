// The entry point of the browser build. The browser calls back once per
// displayed frame; the pacer decides whether the game steps in it. The page
// (src/web/shell.html) is told of each step, of the end and of a failure.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <exception>
#include <memory>

#include "Pacer.h"
#include "Tavelond.h"
#include "WebScreen.h"

EM_JS(void, pageStepped, (double now, double scriptMs), {
  const f = Module['page'] && Module['page']['stepped'];
  if (f) f(now, scriptMs);
});
EM_JS(void, pageEnded, (), {
  const f = Module['page'] && Module['page']['ended'];
  if (f) f();
});
EM_JS(void, pageFailed, (const char* message), {
  const text = UTF8ToString(message);
  const f = Module['page'] && Module['page']['failed'];
  if (f) f(text);
  else err('Error: ' + text);
});

namespace {

constexpr const char* kCaption = "Tavelond";

std::unique_ptr<Tavelond> game;
Pacer pacer;

EM_BOOL onRefresh(double now, void*) {
  if (!pacer.due(now)) return EM_TRUE;
  const double start = emscripten_get_now();
  if (!game->frame()) {
    game.reset();
    pageEnded();
    return EM_FALSE;
  }
  pageStepped(now, emscripten_get_now() - start);
  return EM_TRUE;
}

}  // namespace

int main() {
  try {
    game = std::make_unique<Tavelond>();
    // The world is built for a 640x480 surface; the page's screen replaces
    // the plain one before anything is drawn.
    game->screen = std::make_unique<WebScreen>(kCaption, Tavelond::kWidth, Tavelond::kHeight);
  } catch (const std::exception& e) {
    game.reset();
    pageFailed(e.what());
    return 1;
  }
  emscripten_request_animation_frame_loop(onRefresh, nullptr);
  return 0;
}
