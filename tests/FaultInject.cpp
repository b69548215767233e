// A preload library that stands between the toy and SDL, to make SDL refuse
// what the environment asks it to refuse and to type keys into the event
// queue, so that the real binary can be driven headless.
//
//   TAVELOND_FAULT_INIT=refuse   SDL_Init returns -1
//   TAVELOND_FAULT_DRIVER=NAME   SDL starts on its dummy driver, whatever
//                                SDL_VIDEODRIVER says, and reports NAME as the
//                                driver it picked
//   TAVELOND_FAULT_MODE=LIST     these SDL_SetVideoMode calls return null
//   TAVELOND_FAULT_CONVERT=LIST  these SDL_ConvertSurface calls return null
//   TAVELOND_FAULT_KEYS=F:KEY,.. after the F-th SDL_Flip, push KEY down and up
//   TAVELOND_FAULT_LOG=PATH      one line per wrapped call, appended to PATH
//
// A LIST names calls by their 1-based number: "2" is the second call only,
// "2-" the second and every later one, "1,3" the first and the third.
// KEY is ESC, F5, F9, F10, F12 or a decimal SDL key symbol.

#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <typename F>
F real(const char* name) {
  void* f = dlsym(RTLD_NEXT, name);
  if (f == nullptr) {
    std::fprintf(stderr, "fault: no %s behind the preload\n", name);
    std::abort();
  }
  return reinterpret_cast<F>(f);
}

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v == nullptr ? std::string() : std::string(v);
}

// True when call number n (from 1) is in the LIST held by variable `name`.
bool listed(const char* name, unsigned n) {
  const std::string list = env(name);
  std::size_t at = 0;
  while (at < list.size()) {
    std::size_t end = list.find(',', at);
    if (end == std::string::npos) end = list.size();
    const std::string item = list.substr(at, end - at);
    const unsigned first = static_cast<unsigned>(std::strtoul(item.c_str(), nullptr, 10));
    const bool open = !item.empty() && item.back() == '-';
    if (n == first || (open && n >= first)) return true;
    at = end + 1;
  }
  return false;
}

void log(const std::string& line) {
  const std::string path = env("TAVELOND_FAULT_LOG");
  if (path.empty()) return;
  FILE* f = std::fopen(path.c_str(), "a");
  if (f == nullptr) return;
  std::fputs((line + "\n").c_str(), f);
  std::fclose(f);
}

std::string str(long long v) { return std::to_string(v); }

// "640x480x8 fullscreen": a video mode as the log shows it.
std::string mode(int width, int height, int bpp, Uint32 flags) {
  return str(width) + "x" + str(height) + "x" + str(bpp) +
         ((flags & SDL_FULLSCREEN) != 0 ? " fullscreen" : " window");
}

SDLKey keyNamed(const std::string& name) {
  struct Named {
    const char* name;
    SDLKey key;
  };
  static constexpr Named kKeys[] = {
      {"ESC", SDLK_ESCAPE}, {"F5", SDLK_F5}, {"F9", SDLK_F9}, {"F10", SDLK_F10}, {"F12", SDLK_F12},
  };
  for (const Named& k : kKeys)
    if (name == k.name) return k.key;
  return static_cast<SDLKey>(std::strtol(name.c_str(), nullptr, 10));
}

void pushKey(SDLKey key, Uint8 type) {
  SDL_Event e{};
  e.type = type;
  e.key.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = key;
  real<int (*)(SDL_Event*)>("SDL_PushEvent")(&e);
}

// Pushes the keys due after flip number n.
void typeKeysAfterFlip(unsigned n) {
  const std::string keys = env("TAVELOND_FAULT_KEYS");
  std::size_t at = 0;
  while (at < keys.size()) {
    std::size_t end = keys.find(',', at);
    if (end == std::string::npos) end = keys.size();
    const std::string item = keys.substr(at, end - at);
    const std::size_t colon = item.find(':');
    if (colon != std::string::npos && std::strtoul(item.c_str(), nullptr, 10) == n) {
      const SDLKey key = keyNamed(item.substr(colon + 1));
      log("key " + str(key) + " after flip " + str(n));
      pushKey(key, SDL_KEYDOWN);
      pushKey(key, SDL_KEYUP);
    }
    at = end + 1;
  }
}

unsigned modeCalls = 0;
unsigned convertCalls = 0;
unsigned flips = 0;
bool settingMode = false;  // SDL_SetVideoMode clears the new surface with a flip of its own

}  // namespace

extern "C" {

int SDL_Init(Uint32 flags) {
  if (env("TAVELOND_FAULT_INIT") == "refuse") {
    log("SDL_Init refused");
    return -1;
  }
  const char* given = std::getenv("SDL_VIDEODRIVER");
  const std::string saved = given != nullptr ? given : "";
  const bool faked = !env("TAVELOND_FAULT_DRIVER").empty();
  if (faked) setenv("SDL_VIDEODRIVER", "dummy", /*overwrite=*/1);
  const int result = real<int (*)(Uint32)>("SDL_Init")(flags);
  if (faked && given != nullptr) setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
  if (faked && given == nullptr) unsetenv("SDL_VIDEODRIVER");
  log("SDL_Init " + str(result));
  return result;
}

char* SDL_VideoDriverName(char* namebuf, int maxlen) {
  char* result = real<char* (*)(char*, int)>("SDL_VideoDriverName")(namebuf, maxlen);
  const std::string faked = env("TAVELOND_FAULT_DRIVER");
  if (result != nullptr && !faked.empty() && maxlen > 0) {
    std::snprintf(namebuf, static_cast<std::size_t>(maxlen), "%s", faked.c_str());
  }
  log(std::string("SDL_VideoDriverName ") + (result != nullptr ? namebuf : "null"));
  return result;
}

void SDL_Quit() {
  log("SDL_Quit");
  real<void (*)()>("SDL_Quit")();
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  const unsigned n = ++modeCalls;
  if (listed("TAVELOND_FAULT_MODE", n)) {
    log("SDL_SetVideoMode " + str(n) + " " + mode(width, height, bpp, flags) + " refused");
    return nullptr;
  }
  settingMode = true;
  SDL_Surface* s =
      real<SDL_Surface* (*)(int, int, int, Uint32)>("SDL_SetVideoMode")(width, height, bpp, flags);
  settingMode = false;
  log("SDL_SetVideoMode " + str(n) + " " + mode(width, height, bpp, flags) +
      (s != nullptr ? " ok" : " failed"));
  return s;
}

SDL_Surface* SDL_ConvertSurface(SDL_Surface* src, SDL_PixelFormat* fmt, Uint32 flags) {
  const unsigned n = ++convertCalls;
  if (listed("TAVELOND_FAULT_CONVERT", n)) {
    log("SDL_ConvertSurface " + str(n) + " refused");
    return nullptr;
  }
  log("SDL_ConvertSurface " + str(n) + " ok");
  return real<SDL_Surface* (*)(SDL_Surface*, SDL_PixelFormat*, Uint32)>("SDL_ConvertSurface")(src, fmt,
                                                                                              flags);
}

int SDL_Flip(SDL_Surface* screen) {
  const int result = real<int (*)(SDL_Surface*)>("SDL_Flip")(screen);
  if (settingMode) return result;  // not one of the toy's frames
  const unsigned n = ++flips;
  log("SDL_Flip " + str(n));
  typeKeysAfterFlip(n);
  return result;
}

}  // extern "C"
