#include "Tavelond.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

#include "Constructer.h"
#include "Ground.h"
#include "Platform.h"
#include "Screen.h"
#include "SdlDefaults.h"
#include "Sight.h"
#include "StartupError.h"
#include "Tower.h"

Tavelond* instance = nullptr;

namespace {
constexpr const char* kCaption = "Tavelond";
constexpr std::uint8_t kBackdrop = 64;  // grey level of the cleared frame
constexpr const char* kInitError = "Couldn't initialize SDL";

// Video drivers that open no window. SDL 2, and so sdl12-compat, falls back to
// "offscreen" when no display answers: a game nobody can see, that never ends
// by itself. Asked for by name (the tests use "dummy"), they are honoured.
constexpr std::array<std::string_view, 2> kInvisibleDrivers{"offscreen", "dummy"};
constexpr int kDriverNameBytes = 64;  // room for any driver's name and its NUL

// SDL_VIDEODRIVER names a driver; SDL 2 takes an empty value as none.
bool driverRequested() {
  const char* name = std::getenv("SDL_VIDEODRIVER");
  return name != nullptr && *name != '\0';
}

bool pickedInvisibleDriver() {
  std::array<char, kDriverNameBytes> name{};
  if (SDL_VideoDriverName(name.data(), kDriverNameBytes) == nullptr) return false;
  const auto* const found =
      std::find(kInvisibleDrivers.begin(), kInvisibleDrivers.end(), std::string_view(name.data()));
  return found != kInvisibleDrivers.end();
}
}  // namespace

Tavelond::Tavelond() try {
  // Everything built below reaches the game through `instance`, the Tower's
  // anchors through screen and ground: so this order is load-bearing.
  instance = this;
  initSDL();
  screen = std::make_unique<Screen>(kCaption, kWidth, kHeight);
  ground = std::make_unique<Ground>();
  tower = std::make_unique<Tower>();
  constructer = std::make_unique<Constructer>();
  sight = std::make_unique<Sight>(0, 0);
} catch (...) {
  instance = nullptr;  // no half-built game stays reachable; the error goes on
}

Tavelond::~Tavelond() {
  SDL_Quit();
  if (instance == this) instance = nullptr;
}

void Tavelond::initSDL() {
  sdldefaults::apply();
  const bool requested = driverRequested();  // read before SDL can change it
  if (SDL_Init(SDL_INIT_VIDEO) < 0) throw StartupError(kInitError);
  if (!requested && pickedInvisibleDriver()) {
    SDL_Quit();  // SDL did start, on a driver nobody would see: give it back
    throw StartupError(kInitError);
  }
}

void Tavelond::run() {
  ticks = platform::ticks();
  while (frame()) waitFrame();
}

bool Tavelond::frame() {
  if (handleEvents()) return false;
  move();
  draw();
  return true;
}

bool Tavelond::handleEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) return true;
    if (event.type != SDL_KEYDOWN) continue;
    switch (event.key.keysym.sym) {
      case SDLK_ESCAPE:
        return true;
      case SDLK_F5:
        screen->iconify();
        break;
      case SDLK_F9:
        screen->toggleFullScreen();
        break;
      case SDLK_F10:
        screen->toggleCursor();
        break;
      case SDLK_F12:
        screen->saveScreenshot();
        break;
      default:
        break;
    }
  }
  return false;
}

void Tavelond::move() {
  sight->move();
  constructer->move();
  tower->move();
}

void Tavelond::draw() {
  screen->clear(kBackdrop, kBackdrop, kBackdrop);
  ground->draw(sight->x, sight->y);
  tower->draw(sight->x, sight->y);
  constructer->draw(sight->x, sight->y);
  screen->flip();
}

std::int32_t Tavelond::remainingMs(std::uint32_t start, std::uint32_t now) {
  const std::uint32_t elapsed = now - start;
  return static_cast<std::int32_t>(kFrameMs - elapsed);
}

void Tavelond::waitFrame() {
  const std::int32_t remaining = remainingMs(ticks, platform::ticks());
  if (remaining > 0) platform::delay(static_cast<std::uint32_t>(remaining));
  ticks = platform::ticks();
}
