#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class Tavelond;

// Seeded random play, headless: a whole game on the dummy video driver, its
// mouse and clock behind the platform seam and its keys in SDL's event queue,
// with the world's invariants checked after every frame.
namespace soak {

struct Figures {
  std::uint64_t frames = 0;  // frames run and checked
  std::size_t joints = 0;
  std::size_t springs = 0;
  std::size_t unbounded = 0;      // joints whose position is no longer finite
  std::uint64_t toggles = 0;      // F9 presses
  std::uint64_t screenshots = 0;  // F12 presses
  std::uint64_t farPans = 0;      // drags of 40,000 pixels, out or back
  std::uint64_t hubs = 0;         // runs of joints tied to a single one
  std::string failure;            // the first broken invariant; empty when none
};

// A game set up for a soak, in a scratch working directory (F12 writes
// there), drawing on the real video surface at 32 bits.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Called at the end of each frame, before the checks, with the frame's
  // number from 1: lets a test break the world on purpose.
  using Meddler = std::function<void(Tavelond&, std::uint64_t)>;

  // Plays `frames` frames from `seed`; stops at the first broken invariant.
  Figures play(std::uint64_t seed, std::uint64_t frames, const Meddler& meddle = {});

 private:
  std::filesystem::path home;
  std::filesystem::path scratch;
  std::unique_ptr<Tavelond> game;
};

}  // namespace soak
