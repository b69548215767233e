#include "Screen.h"

#include <gtest/gtest.h>

#include "GameFixture.h"

namespace {

TEST(ScreenModeError, NamesWidthThenHeight) {
  const struct {
    int w, h;
    const char* text;
  } cases[] = {{640, 480, "Couldn't set video mode to 640x480"},
               {800, 600, "Couldn't set video mode to 800x600"},
               {-5, 0, "Couldn't set video mode to -5x0"},
               {2147483647, 7, "Couldn't set video mode to 2147483647x7"}};
  for (const auto& c : cases) EXPECT_EQ(Screen::modeError(c.w, c.h), c.text);
}

using ScreenTest = GameTest;

TEST_F(ScreenTest, ClearFillsTheWholeSurface) {
  game->screen->clear(64, 64, 64);
  EXPECT_EQ(pixelsNot(canvas, kGrey), 0);
  game->screen->clear(1, 200, 3);
  EXPECT_EQ(pixelsNot(canvas, {1, 200, 3}), 0);
}

TEST_F(ScreenTest, TheFullScreenSwitchCarriesThePictureAcross) {
  Screen& screen = *game->screen;
  screen.surface = video;
  SDL_Rect box{100, 50, 30, 20};
  SDL_FillRect(video, nullptr, SDL_MapRGB(video->format, 0, 0, 0));
  SDL_FillRect(video, &box, SDL_MapRGB(video->format, 255, 255, 255));
  const Rgb inside = pixelAt(video, 110, 60);
  const Rgb outside = pixelAt(video, 10, 10);
  ASSERT_NE(inside, outside);

  screen.toggleFullScreen();
  SDL_Surface* full = screen.surface;
  ASSERT_NE(full, nullptr);
  EXPECT_TRUE(full->flags & SDL_FULLSCREEN);
  EXPECT_EQ(full->w, 640);
  EXPECT_EQ(full->h, 480);
  EXPECT_EQ(pixelAt(full, 110, 60), inside);
  EXPECT_EQ(pixelAt(full, 129, 69), inside);
  EXPECT_EQ(pixelAt(full, 130, 60), outside);
  EXPECT_EQ(pixelAt(full, 10, 10), outside);

  screen.toggleFullScreen();
  EXPECT_FALSE(screen.surface->flags & SDL_FULLSCREEN);
  EXPECT_EQ(pixelAt(screen.surface, 110, 60), inside);
  video = screen.surface;
}

}  // namespace
