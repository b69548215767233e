#pragma once

#include <cstdint>
#include <memory>

class Constructer;
class Ground;
class Screen;
class Sight;
class Tower;

// The game: owns the window and the world, and runs the frame loop.
class Tavelond {
 public:
  static constexpr int kWidth = 640;             // pixels
  static constexpr int kHeight = 480;            // pixels
  static constexpr std::uint32_t kFrameMs = 16;  // shortest frame, milliseconds

  // Publishes itself as `instance`, starts SDL and builds the world.
  // Throws StartupError when SDL or the window cannot be set up.
  Tavelond();
  virtual ~Tavelond();
  Tavelond(const Tavelond&) = delete;
  Tavelond& operator=(const Tavelond&) = delete;

  // Runs frames until Escape or a close request.
  virtual void run();

  // One pass of the loop without the wait: handles the pending events, then
  // steps and draws the world. False, with nothing stepped or drawn, when the
  // player quit. A host that paces frames itself (a browser) calls this.
  bool frame();

  // Milliseconds left of a frame that began at tick `start`, read at `now`;
  // zero or less when the frame is already over. Right across tick wrap.
  static std::int32_t remainingMs(std::uint32_t start, std::uint32_t now);

  std::unique_ptr<Screen> screen;
  std::uint32_t ticks = 0;
  std::unique_ptr<Ground> ground;
  std::unique_ptr<Tower> tower;
  std::unique_ptr<Constructer> constructer;
  std::unique_ptr<Sight> sight;

 private:
  static void initSDL();
  // Drains the event queue; true means quit.
  bool handleEvents();
  void move();
  void draw();
  void waitFrame();
};

// The one game, set first thing by its constructor.
extern Tavelond* instance;
