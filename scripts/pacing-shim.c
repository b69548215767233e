/* Preloaded into the game by scripts/pacing.sh. It notes, with the
 * monotonic time in nanoseconds, every SDL_Flip, every SDL_Delay and every
 * SDL_GetTicks the game itself makes (with the value returned), and passes
 * each call on untouched. The notes are written to $PACING_LOG when the
 * process ends. With $PACING_SLOW_FRAME = k, the k-th flip is followed by
 * 40 ms of sleep, as if that frame had been slow. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE /* RTLD_NEXT, dladdr */
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { kMaxEvents = 1 << 20, kSlowMs = 40 };

static struct {
  char kind;  /* F flip, D delay asked, G ticks read by the game, S end of the injected sleep */
  int64_t ns; /* CLOCK_MONOTONIC */
  Uint32 value; /* G: ticks returned; D: milliseconds asked; F, S: ticks now */
} events[kMaxEvents];
static int count;
static int flips;

static Uint32 (*realTicks)(void);

static int64_t nowNs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

static void note(char kind, Uint32 value) {
  if (count >= kMaxEvents) return;
  events[count].kind = kind;
  events[count].ns = nowNs();
  events[count].value = value;
  ++count;
}

static void* next(const char* name) { return dlsym(RTLD_NEXT, name); }

/* True when the caller lies outside libSDL: the game's own reading, not
 * one SDL makes internally while pumping events. */
static int fromGame(const void* caller) {
  Dl_info info;
  if (!dladdr(caller, &info) || !info.dli_fname) return 1;
  return strstr(info.dli_fname, "libSDL") == NULL;
}

Uint32 SDL_GetTicks(void) {
  if (!realTicks) realTicks = (Uint32(*)(void))next("SDL_GetTicks");
  const Uint32 t = realTicks();
  if (fromGame(__builtin_return_address(0))) note('G', t);
  return t;
}

void SDL_Delay(Uint32 ms) {
  static void (*real)(Uint32);
  if (!real) real = (void (*)(Uint32))next("SDL_Delay");
  note('D', ms);
  real(ms);
}

int SDL_Flip(SDL_Surface* screen) {
  static int (*real)(SDL_Surface*);
  static long slowFrame = -1;
  if (!real) {
    real = (int (*)(SDL_Surface*))next("SDL_Flip");
    if (!realTicks) realTicks = (Uint32(*)(void))next("SDL_GetTicks");
    const char* k = getenv("PACING_SLOW_FRAME");
    if (k) slowFrame = strtol(k, NULL, 10);
  }
  note('F', realTicks());
  const int result = real(screen);
  if (flips == slowFrame) {
    const struct timespec slow = {0, kSlowMs * 1000000L};
    nanosleep(&slow, NULL);
    note('S', realTicks());
  }
  ++flips;
  return result;
}

__attribute__((destructor)) static void dump(void) {
  const char* path = getenv("PACING_LOG");
  FILE* f = path ? fopen(path, "w") : NULL;
  if (!f) return;
  for (int i = 0; i < count; ++i) fprintf(f, "%c %lld %u\n", events[i].kind, (long long)events[i].ns, events[i].value);
  fclose(f);
}
