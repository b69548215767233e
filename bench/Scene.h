#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "Tavelond.h"

class Joint;
class Tower;

// Joints in rows that follow the terrain: `rows` rows of `columns` joints,
// `spacing` pixels apart, odd rows shifted by half a spacing, each row
// `rowGap` pixels above the one below; column 0 stands at world x `left`.
// Every joint is tied to the two joints under it, and the bottom row is a
// chain that starts at the first anchor. `layers` such lattices are stacked
// one pixel apart: they share no spring, so each stands on the terrain by
// itself, and together they pack many joints into one window. A spacing of
// at least 24 pixels keeps every joint clickable from straight above.
struct Lattice {
  int columns = 0;
  int rows = 0;
  int layers = 1;
  int spacing = 0;  // pixels between neighbours in a row
  int rowGap = 0;   // pixels between rows; more than layers / 2
  int left = 0;     // world x of column 0, pixels
  int joints() const { return columns * rows * layers; }

  // The benchmarks' proportions.
  static constexpr int kRows = 5;      // rows per layer
  static constexpr int kRowGap = 20;   // pixels between rows
  static constexpr int kColumns = 20;  // columns that fill one 640-pixel window
  static constexpr int kSpacing = 28;  // pixels between joints of a row, one window
  static constexpr int kLeft = 70;     // pixels from the window's left edge to column 0

  // Layers of a kColumns-wide lattice that give n joints, n a multiple of 100.
  static Lattice oneWindow(int n) {
    return {kColumns, kRows, n / (kColumns * kRows), kSpacing, kRowGap, kLeft};
  }
};

// The whole game on SDL's dummy video driver, drawing into a 32-bit 640x480
// surface of its own, with the mouse and the clock scripted through the
// platform seam. One per process: the game is a global.
class Scene {
 public:
  Scene();
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  Tavelond& game() { return *game_; }
  SDL_Surface* surface() { return canvas_; }

  // Grows the lattice in the current tower the way a player would: two
  // clicks select the joints under the new one, a third places it.
  // Throws std::runtime_error when a joint cannot be picked by a click.
  void build(const Lattice& l);

  static constexpr int kSettleFrames = 1000;  // steps a structure takes before it is measured

  // Steps the tower `frames` times, as the frame loop would.
  void step(int frames);

  // Fastest joint, pixels per frame.
  float topSpeed() const;

  // Bounding box of the joints' screen centres under the current view,
  // inclusive, in pixels.
  struct Box {
    int x0, y0, x1, y1;
  };
  Box extent() const;

  // One real frame of Tavelond::run: events, move, draw, wait. The clock
  // stands still, so the wait asks for a whole frame and returns at once.
  void frame();

  // Scripted mouse, read by the game through the platform seam.
  static inline int mouseX = 0;
  static inline int mouseY = 0;
  static inline std::uint8_t buttons = 0;

 private:
  void click(int x, int y);
  // Clicks a point that picks exactly this joint.
  void select(const Joint& j);

  std::unique_ptr<Tavelond> game_;
  SDL_Surface* video_ = nullptr;
  SDL_Surface* canvas_ = nullptr;
};
