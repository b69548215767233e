#pragma once

#include <cstdint>

#include "Vector.h"

struct SDL_Surface;

// A mass point: position, velocity and gravity, stepped once per frame.
class Joint {
 public:
  static constexpr float kGravity = 0.175f;  // pixels per frame per frame, downward
  static constexpr float kDamping = 0.99f;   // velocity kept per frame
  static constexpr int kRadius = 12;         // pixels, drawn and hit

  Joint(float x, float y);
  virtual ~Joint() = default;
  Joint(const Joint&) = delete;
  Joint& operator=(const Joint&) = delete;

  // One frame: gravity, explicit Euler, damping, then terrain contact.
  virtual void move();
  // Adds an impulse f (pixels per frame) to the velocity.
  virtual void addForce(Vector f);
  virtual void draw(std::int32_t ox, std::int32_t oy) const;
  // Copies image onto the screen surface centred on pos; no view offset.
  virtual void blit(SDL_Surface* image) const;
  // True when the world point (x, y) lies strictly within kRadius of pos.
  virtual bool hitTest(std::int32_t x, std::int32_t y) const;

  Vector pos;
  Vector vel{0.0f, 0.0f};
  Vector acc{0.0f, kGravity};
};
