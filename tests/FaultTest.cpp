// The real binary, headless on the dummy video driver, with the fault
// preload library between it and SDL. Each case checks the exit status, the
// exact standard output, the exact sequence of SDL calls the library saw, and
// that no sanitizer spoke on standard error (in the sanitized build this is
// where a leak or a crash would show).

#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr unsigned kTimeLimitSeconds = 60;  // a hung toy is killed, and fails

std::string slurp(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Outcome {
  bool exited = false;
  int status = -1;  // exit status, or the signal number when killed
  std::string out;
  std::string err;
  std::string log;  // what the preload library saw
};

// A scratch directory, removed afterwards.
struct TempDir {
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "tavelond-fault-XXXXXX").string();
    path = mkdtemp(tmpl.data());
  }
  ~TempDir() { fs::remove_all(path); }
  fs::path path;
};

// Runs the toy in `cwd` with the preload library and the given variables;
// its streams and the library's log land in `scratch`.
Outcome runToy(const std::vector<std::string>& vars, const fs::path& cwd, const fs::path& scratch) {
  const fs::path out = scratch / "stdout";
  const fs::path err = scratch / "stderr";
  const fs::path log = scratch / "calls";

  std::vector<std::string> envs;
  envs.reserve(vars.size() + 8);
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string v = *e;
    if (v.rfind("SDL_VIDEODRIVER=", 0) == 0 || v.rfind("LD_PRELOAD=", 0) == 0 ||
        v.rfind("ASAN_OPTIONS=", 0) == 0 || v.rfind("TAVELOND_FAULT_", 0) == 0)
      continue;
    envs.emplace_back(v);
  }
  // The dummy driver, unless the case names SDL_VIDEODRIVER itself; a bare
  // "SDL_VIDEODRIVER" (no '=') leaves it unset.
  const auto driverVar = [](const std::string& v) { return v.rfind("SDL_VIDEODRIVER", 0) == 0; };
  if (std::none_of(vars.begin(), vars.end(), driverVar)) envs.emplace_back("SDL_VIDEODRIVER=dummy");
  envs.push_back(std::string("LD_PRELOAD=") + TAVELOND_FAULT_LIBRARY);
  // The preload comes ahead of the sanitizer runtime in the sanitized build;
  // the library allocates nothing ASan needs to see from the start.
  const char* asan = std::getenv("ASAN_OPTIONS");
  envs.push_back(std::string("ASAN_OPTIONS=") + (asan != nullptr ? std::string(asan) + ":" : "") +
                 "verify_asan_link_order=0");
  envs.push_back("TAVELOND_FAULT_LOG=" + log.string());
  for (const auto& v : vars)
    if (v != "SDL_VIDEODRIVER") envs.push_back(v);
  std::vector<char*> envp;
  envp.reserve(envs.size() + 1);
  for (auto& v : envs) envp.push_back(v.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || dup2(o, STDOUT_FILENO) < 0 || dup2(e, STDERR_FILENO) < 0 || chdir(cwd.c_str()) != 0)
      _exit(127);
    alarm(kTimeLimitSeconds);
    char* argv[] = {const_cast<char*>(TAVELOND_BINARY), nullptr};
    execve(TAVELOND_BINARY, argv, envp.data());
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  Outcome r;
  r.exited = WIFEXITED(wstatus);
  r.status = r.exited ? WEXITSTATUS(wstatus) : WTERMSIG(wstatus);
  r.out = slurp(out);
  r.err = slurp(err);
  r.log = slurp(log);
  return r;
}

// The log lines of the toy's flips number `from` to `to`, one per frame.
std::string flips(unsigned from, unsigned to) {
  std::string s;
  for (unsigned n = from; n <= to; ++n) s += "SDL_Flip " + std::to_string(n) + "\n";
  return s;
}

std::string key(int sym, unsigned flip) {
  return "key " + std::to_string(sym) + " after flip " + std::to_string(flip) + "\n";
}

// Depth of the dummy driver's window, which the toggle carries into its calls.
const std::string kDepth = "8";
const std::string kWindowOk = "640x480x0 window ok\n";
std::string mode(unsigned n, const std::string& rest) {
  return "SDL_SetVideoMode " + std::to_string(n) + " " + rest;
}
std::string toggled(unsigned n, const std::string& kind, const std::string& result) {
  return mode(n, "640x480x" + kDepth + " " + kind + " " + result + "\n");
}

constexpr const char* kModeError = "Error: Couldn't set video mode to 640x480\n";
constexpr const char* kInitError = "Error: Couldn't initialize SDL\n";
const std::string kQuit = "SDL_Quit\n";
const std::string kF12ThenEscape = "SDL_Init 0\n" + mode(1, kWindowOk) + flips(1, 2) + key(SDLK_F12, 2) +
                                   flips(3, 4) + key(SDLK_ESCAPE, 4) + kQuit;

// SDL picked the driver `name` by itself (SDL_VIDEODRIVER unset or empty, as
// `driverVar` gives it); its log up to the window.
std::string picked(const std::string& name) { return "SDL_Init 0\nSDL_VideoDriverName " + name + "\n"; }
// ... and the log of one that shows the game, played until Escape.
std::string played(const std::string& name) {
  return picked(name) + mode(1, kWindowOk) + flips(1, 2) + key(SDLK_ESCAPE, 2) + kQuit;
}

struct Case {
  const char* name;
  std::vector<std::string> vars;
  std::string out;
  int status;
  std::string log;
  // Prepares the working directory, or names another one; empty: the scratch one.
  std::function<fs::path(const fs::path& scratch)> where;
  // Looks at the working directory afterwards.
  std::function<void(const fs::path& cwd)> after;
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.name; }

const fs::path kScreenshot = "screenshot.bmp";

const std::vector<Case> kCases = {
    {"InitRefused",
     {"TAVELOND_FAULT_INIT=refuse"},
     kInitError,
     1,
     "SDL_Init refused\n",
     {},
     {}},  // and so no window is ever asked for
    // A driver that shows nothing, picked by SDL itself, is a failed start:
    // SDL is released and no window asked for.
    {"OffscreenDriverPicked",
     {"SDL_VIDEODRIVER", "TAVELOND_FAULT_DRIVER=offscreen"},
     kInitError,
     1,
     picked("offscreen") + kQuit,
     {},
     {}},
    {"DummyDriverPickedWithTheVariableEmpty",
     {"SDL_VIDEODRIVER=", "TAVELOND_FAULT_DRIVER=dummy"},
     kInitError,
     1,
     picked("dummy") + kQuit,
     {},
     {}},
    // Drivers that show the game, and invisible ones the user asked for, play.
    {"X11DriverPicked",
     {"SDL_VIDEODRIVER", "TAVELOND_FAULT_DRIVER=x11", "TAVELOND_FAULT_KEYS=2:ESC"},
     "",
     0,
     played("x11"),
     {},
     {}},
    {"TerminalArtDriverPicked",
     {"SDL_VIDEODRIVER", "TAVELOND_FAULT_DRIVER=caca", "TAVELOND_FAULT_KEYS=2:ESC"},
     "",
     0,
     played("caca"),
     {},
     {}},
    {"BrowserDriverPicked",
     {"SDL_VIDEODRIVER", "TAVELOND_FAULT_DRIVER=emscripten_sdl_driver", "TAVELOND_FAULT_KEYS=2:ESC"},
     "",
     0,
     played("emscripten_sdl_driver"),
     {},
     {}},
    {"OffscreenDriverRequested",  // not even asked which driver it is
     {"SDL_VIDEODRIVER=offscreen", "TAVELOND_FAULT_DRIVER=offscreen", "TAVELOND_FAULT_KEYS=2:ESC"},
     "",
     0,
     "SDL_Init 0\n" + mode(1, kWindowOk) + flips(1, 2) + key(SDLK_ESCAPE, 2) + kQuit,
     {},
     {}},
    {"ModeRefusedAtStart",
     {"TAVELOND_FAULT_MODE=1"},
     kModeError,
     1,
     "SDL_Init 0\n" + mode(1, "640x480x0 window refused\n"),
     {},
     {}},
    {"FullScreenRefusedOnce",
     {"TAVELOND_FAULT_MODE=2", "TAVELOND_FAULT_KEYS=2:F9,4:F9,6:ESC"},
     "",
     0,
     // The refused switch is followed by the previous mode, play goes on, and
     // the next F9 reaches full screen.
     "SDL_Init 0\n" + mode(1, kWindowOk) + flips(1, 2) + key(SDLK_F9, 2) + "SDL_ConvertSurface 1 ok\n" +
         toggled(2, "fullscreen", "refused") + toggled(3, "window", "ok") + flips(3, 4) + key(SDLK_F9, 4) +
         "SDL_ConvertSurface 2 ok\n" + toggled(4, "fullscreen", "ok") + flips(5, 6) + key(SDLK_ESCAPE, 6) +
         kQuit,
     {},
     {}},
    {"FullScreenRefusedAlways",
     {"TAVELOND_FAULT_MODE=2-", "TAVELOND_FAULT_KEYS=2:F9,4:ESC"},
     kModeError,
     1,
     "SDL_Init 0\n" + mode(1, kWindowOk) + flips(1, 2) + key(SDLK_F9, 2) + "SDL_ConvertSurface 1 ok\n" +
         toggled(2, "fullscreen", "refused") + toggled(3, "window", "refused") + kQuit,
     {},
     {}},
    {"ConvertSurfaceFailsDuringToggle",
     {"TAVELOND_FAULT_CONVERT=1", "TAVELOND_FAULT_KEYS=2:F9,4:ESC"},
     "",
     0,
     "SDL_Init 0\n" + mode(1, kWindowOk) + flips(1, 2) + key(SDLK_F9, 2) + "SDL_ConvertSurface 1 refused\n" +
         toggled(2, "fullscreen", "ok") + flips(3, 4) + key(SDLK_ESCAPE, 4) + kQuit,
     {},
     {}},
    {"ScreenshotWhereADirectoryHasItsName",
     {"TAVELOND_FAULT_KEYS=2:F12,4:ESC"},
     "",
     0,
     kF12ThenEscape,
     [](const fs::path& scratch) {
       fs::create_directory(scratch / "play");
       fs::create_directory(scratch / "play" / kScreenshot);
       return scratch / "play";
     },
     [](const fs::path& cwd) {
       EXPECT_TRUE(fs::is_directory(cwd / kScreenshot));
       EXPECT_TRUE(fs::is_empty(cwd / kScreenshot));
     }},
    {"ScreenshotInProcfs",  // no file can be made there, not even by root
     {"TAVELOND_FAULT_KEYS=2:F12,4:ESC"},
     "",
     0,
     kF12ThenEscape,
     [](const fs::path&) { return fs::path("/proc"); },
     [](const fs::path& cwd) { EXPECT_FALSE(fs::exists(cwd / kScreenshot)); }},
    {"ScreenshotWritten",  // the same keys where the file can be written
     {"TAVELOND_FAULT_KEYS=2:F12,4:ESC"},
     "",
     0,
     kF12ThenEscape,
     {},
     [](const fs::path& cwd) {
       SDL_Surface* shot = SDL_LoadBMP((cwd / kScreenshot).c_str());
       ASSERT_NE(shot, nullptr);
       EXPECT_EQ(shot->w, 640);
       EXPECT_EQ(shot->h, 480);
       SDL_FreeSurface(shot);
     }},
};

class Fault : public ::testing::TestWithParam<Case> {};

TEST_P(Fault, EndsAsItShould) {
  const Case& c = GetParam();
  TempDir scratch;
  const fs::path cwd = c.where ? c.where(scratch.path) : scratch.path;

  const Outcome r = runToy(c.vars, cwd, scratch.path);

  ASSERT_TRUE(r.exited) << "killed by signal " << r.status << "\n" << r.err;
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_EQ(r.out, c.out);
  EXPECT_EQ(r.log, c.log);
  EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
  if (c.after) c.after(cwd);
}

INSTANTIATE_TEST_SUITE_P(RealBinary, Fault, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
