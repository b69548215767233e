#pragma once

#include <cstdint>
#include <string>

struct SDL_Surface;

// The window and its drawing surface, with the utilities bound to keys.
class Screen {
 public:
  // Opens a window of width × height pixels at the display's depth.
  // Throws StartupError when the video mode is refused.
  Screen(const std::string& caption, std::int32_t width, std::int32_t height);
  virtual ~Screen() = default;
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  virtual void clear(std::uint8_t r, std::uint8_t g, std::uint8_t b);
  virtual void flip();
  // Switches between window and full screen at the same size and depth,
  // carrying the picture across. Replaces `surface`.
  virtual void toggleFullScreen();
  virtual void toggleCursor();
  // Writes the surface as it is now to "screenshot.bmp" in the working
  // directory; a file that cannot be written is not reported.
  virtual void saveScreenshot();
  virtual void iconify();

  // Owned by SDL and replaced by toggleFullScreen: read it afresh at each use.
  SDL_Surface* surface = nullptr;

  static std::string modeError(std::int32_t width, std::int32_t height);
};
