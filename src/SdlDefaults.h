#pragma once

#include <array>

// Environment defaults for SDL 2 and sdl12-compat, which run the program when
// its SDL 1.2 library is sdl12-compat. The classic library reads none of them.
//
// sdl12-compat shows the 640x480 software surface by uploading it, every
// frame, to an OpenGL texture and drawing that. Without a GPU (Mesa's
// llvmpipe) this costs about a sixth of a core while the toy sits idle. SDL 2's
// own software path blits the surface to the window the way the classic
// library does: the same pixels for a fraction of the work.
//
// sdl12-compat itself stretches the picture in full screen, and in a window
// enlarged by SDL12COMPAT_WINDOW_SCALING: its default linear filter blurs
// every edge, nearest keeps a whole-number enlargement exact.
namespace sdldefaults {

struct Default {
  const char* name;
  const char* value;
};

inline constexpr std::array<Default, 3> kDefaults{{
    {"SDL_RENDER_DRIVER", "software"},        // the renderer sdl12-compat creates
    {"SDL_FRAMEBUFFER_ACCELERATION", "0"},    // SDL 2's window framebuffer
    {"SDL12COMPAT_SCALE_METHOD", "nearest"},  // how sdl12-compat stretches
}};

// Sets every variable of kDefaults that is not set yet. A variable the user
// has set, even to an empty value, is left as it is. Call before SDL_Init.
void apply();

}  // namespace sdldefaults
