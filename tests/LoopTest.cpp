#include "Tavelond.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>

#include "Constructer.h"
#include "GameFixture.h"
#include "Screen.h"

namespace {

namespace fs = std::filesystem;

// Runs each test in a fresh working directory, where F12 writes.
class LoopTest : public GameTest {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tavelond-loop-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    home = fs::current_path();
    fs::current_path(dir);
    GameTest::SetUp();
    SDL_ShowCursor(SDL_ENABLE);
  }
  void TearDown() override {
    GameTest::TearDown();
    fs::current_path(home);
    fs::remove_all(dir);
  }

  bool saved() const { return fs::exists(dir / "screenshot.bmp"); }
  int framesRun() const { return game->constructer->count; }

  static void pushType(Uint8 type) {
    SDL_Event e{};
    e.type = type;
    SDL_PushEvent(&e);
  }
  static int pending() {
    SDL_Event events[16];
    return SDL_PeepEvents(events, 16, SDL_PEEKEVENT, SDL_ALLEVENTS);
  }

  fs::path dir, home;
};

TEST_F(LoopTest, F12ThenEscapeSavesAndQuitsBeforeAnyFrame) {
  pushKey(SDLK_F12);
  pushKey(SDLK_ESCAPE);
  game->run();
  EXPECT_TRUE(saved());
  EXPECT_EQ(framesRun(), 0);
  EXPECT_TRUE(FakeInput::delays.empty());
}

TEST_F(LoopTest, EscapeThenF12QuitsAndLeavesTheRestQueued) {
  pushKey(SDLK_ESCAPE);
  pushKey(SDLK_F12);
  game->run();
  EXPECT_FALSE(saved());
  EXPECT_EQ(framesRun(), 0);
  EXPECT_EQ(pending(), 1);
}

// One pass without the wait, as a browser drives the game: it steps once and
// asks for no delay, and a quit queued ahead stops it before anything moves.
TEST_F(LoopTest, FrameStepsOnceWithoutWaitingAndStopsAtAQuit) {
  EXPECT_TRUE(game->frame());
  EXPECT_TRUE(game->frame());
  EXPECT_EQ(framesRun(), 2);
  EXPECT_TRUE(FakeInput::delays.empty());
  pushKey(SDLK_F10);
  pushKey(SDLK_ESCAPE);
  pushKey(SDLK_F12);
  EXPECT_FALSE(game->frame());
  EXPECT_EQ(framesRun(), 2);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), 0);  // keys ahead of the quit were handled
  EXPECT_FALSE(saved());
  EXPECT_EQ(pending(), 1);
}

TEST_F(LoopTest, ACloseRequestQuitsLikeEscape) {
  pushType(SDL_QUIT);
  pushKey(SDLK_F12);
  game->run();
  EXPECT_FALSE(saved());
  EXPECT_EQ(framesRun(), 0);
}

TEST_F(LoopTest, OtherKeysReleasesAndMouseEventsDoNothing) {
  for (SDLKey k : {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4, SDLK_F6, SDLK_F7, SDLK_F8, SDLK_F11, SDLK_a,
                   SDLK_SPACE, SDLK_RETURN})
    pushKey(k);
  for (SDLKey k : {SDLK_F5, SDLK_F9, SDLK_F10, SDLK_F12, SDLK_ESCAPE}) pushKey(k, KMOD_NONE, SDL_KEYUP);
  pushType(SDL_MOUSEBUTTONDOWN);
  pushType(SDL_MOUSEMOTION);
  pushType(SDL_ACTIVEEVENT);
  runFrames(2);
  EXPECT_FALSE(saved());
  EXPECT_EQ(game->screen->surface, canvas);  // no mode switch
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), 1);
  EXPECT_EQ(framesRun(), 2);
}

TEST_F(LoopTest, ModifiersAreIgnored) {
  pushKey(SDLK_F12, KMOD_LSHIFT);
  pushKey(SDLK_F10, static_cast<SDLMod>(KMOD_LCTRL | KMOD_LALT));
  pushKey(SDLK_ESCAPE, KMOD_RSHIFT);
  game->run();
  EXPECT_TRUE(saved());
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), 0);
}

TEST_F(LoopTest, CursorToggles) {
  const struct {
    int presses;
    int shown;
  } cases[] = {{1, 0}, {2, 1}, {3, 0}};
  for (const auto& c : cases) {
    SDL_ShowCursor(SDL_ENABLE);
    for (int i = 0; i < c.presses; ++i) pushKey(SDLK_F10);
    runFrames(1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), c.shown) << c.presses;
  }
}

TEST_F(LoopTest, F9TwiceInOneFrameSwitchesToFullScreenAndBack) {
  game->screen->surface = video;
  const int depth = video->format->BitsPerPixel;
  pushKey(SDLK_F9);
  runFrames(1);
  EXPECT_TRUE(game->screen->surface->flags & SDL_FULLSCREEN);
  pushKey(SDLK_F9);
  pushKey(SDLK_F9);
  runFrames(1);
  EXPECT_TRUE(game->screen->surface->flags & SDL_FULLSCREEN);
  pushKey(SDLK_F9);
  runFrames(1);
  SDL_Surface* back = game->screen->surface;
  EXPECT_FALSE(back->flags & SDL_FULLSCREEN);
  EXPECT_EQ(back->w, 640);
  EXPECT_EQ(back->h, 480);
  EXPECT_EQ(back->format->BitsPerPixel, depth);
  video = back;
}

TEST_F(LoopTest, ScreenshotHoldsThePreviousFramesPicture) {
  SDL_Surface* firstFrame = makeSurface32();
  // Select anchor 0, so that its ring pulses and each frame differs.
  FakeInput::x = 128;
  FakeInput::y = 414;
  FakeInput::buttons = 1;
  runFrames(2, [&](int k) {
    if (k == 1) {
      SDL_BlitSurface(canvas, nullptr, firstFrame, nullptr);
      pushKey(SDLK_F12);
    }
  });
  ASSERT_TRUE(saved());
  SDL_Surface* shot = SDL_LoadBMP((dir / "screenshot.bmp").c_str());
  ASSERT_NE(shot, nullptr);
  SDL_Surface* shot32 = SDL_ConvertSurface(shot, firstFrame->format, 0);
  EXPECT_EQ(differingPixels(shot32, firstFrame), 0);
  EXPECT_GT(differingPixels(canvas, firstFrame), 0);  // the frames really differ
  SDL_FreeSurface(shot32);
  SDL_FreeSurface(shot);
  SDL_FreeSurface(firstFrame);
}

TEST_F(LoopTest, ASecondScreenshotReplacesTheFirst) {
  {
    std::FILE* f = std::fopen("screenshot.bmp", "wb");
    std::fputs(std::string(5'000'000, 'x').c_str(), f);
    std::fclose(f);
  }
  pushKey(SDLK_F12);
  pushKey(SDLK_ESCAPE);
  game->run();
  EXPECT_EQ(fs::file_size(dir / "screenshot.bmp"), 54u + 640u * 480u * 3u);
}

TEST(FrameWait, RemainingMillisecondsAcrossTickWrap) {
  const struct {
    std::uint32_t start, now;
    std::int32_t remaining;
  } cases[] = {{1000, 1000, 16},  {1000, 1015, 1},        {1000, 1016, 0},
               {1000, 1040, -24}, {UINT32_MAX - 7, 2, 6}, {UINT32_MAX, UINT32_MAX, 16},
               {5, 4, 17}};
  for (const auto& c : cases) EXPECT_EQ(Tavelond::remainingMs(c.start, c.now), c.remaining) << c.start;
}

TEST_F(LoopTest, TheLoopSleepsOutTheFrameAndNeverCatchesUp) {
  // Readings: run's start, then per frame the wait's first reading and the
  // one after the delay. Frame 1 crosses the tick wrap (elapsed 10, delay 6);
  // frame 2 is slow (40 ms): no delay, and frame 3 is paced from its own
  // start, not from where frame 2 should have ended.
  FakeInput::readings = {UINT32_MAX - 7, 2, 8, 48, 48, 50, 66};
  int frames = 0;
  FakeInput::onDelay = [&] {
    if (++frames == 2) pushKey(SDLK_ESCAPE);
  };
  game->run();
  EXPECT_EQ(FakeInput::delays, (std::vector<std::uint32_t>{6, 14}));
  EXPECT_EQ(framesRun(), 3);
}

}  // namespace
