#include "WebLoop.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "Pacer.h"
#include "Tavelond.h"

EM_JS(void, pageStepped, (double now, double scriptMs), {
  const f = Module['page'] && Module['page']['stepped'];
  if (f) f(now, scriptMs);
});
EM_JS(void, pageEnded, (), {
  const f = Module['page'] && Module['page']['ended'];
  if (f) f();
});

namespace webloop {
namespace {

Tavelond* running = nullptr;
void (*onEnd)() = nullptr;
Pacer pacer;

EM_BOOL onRefresh(double now, void*) {
  if (!pacer.due(now)) return EM_TRUE;
  const double start = emscripten_get_now();
  if (!running->frame()) {
    running = nullptr;
    if (onEnd != nullptr) onEnd();
    pageEnded();
    return EM_FALSE;
  }
  pageStepped(now, emscripten_get_now() - start);
  return EM_TRUE;
}

}  // namespace

void start(Tavelond& game, void (*ended)()) {
  running = &game;
  onEnd = ended;
  emscripten_request_animation_frame_loop(onRefresh, nullptr);
}

}  // namespace webloop
