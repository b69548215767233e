// Included ahead of SDL_gfx's sources in the browser build (cmake/Web.cmake).
//
// Emscripten's SDL_MUSTLOCK is always 1, so SDL_gfx would lock and unlock the
// screen around every primitive: two calls out to JavaScript each time. The
// game draws only between WebScreen::clear and WebScreen::flip, which hold the
// screen locked for the whole frame, so SDL_gfx need not lock it again.
#pragma once

#include <SDL.h>

#undef SDL_MUSTLOCK
#define SDL_MUSTLOCK(surface) 0
