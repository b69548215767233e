#include "Platform.h"

#include <SDL.h>

namespace platform {

std::uint8_t (*mouseState)(int*, int*) = SDL_GetMouseState;
std::uint8_t (*relativeMouseState)(int*, int*) = SDL_GetRelativeMouseState;
std::uint32_t (*ticks)() = SDL_GetTicks;
void (*delay)(std::uint32_t) = SDL_Delay;

}  // namespace platform
