#pragma once

#include <cstdint>

class Joint;

// A massless link that pushes its two ends toward its rest length.
class Spring {
 public:
  static constexpr float kStiffness = 0.25f;      // impulse per pixel of stretch
  static constexpr float kMaxAutoLength = 96.0f;  // pixels, cap on a measured rest length

  // A negative restLength takes the ends' current distance, capped at
  // kMaxAutoLength; any other value (NaN included) is kept as given.
  Spring(Joint& a, Joint& b, float restLength);
  virtual ~Spring() = default;
  Spring(const Spring&) = delete;
  Spring& operator=(const Spring&) = delete;

  virtual void move();
  virtual void draw(std::int32_t ox, std::int32_t oy) const;

  Joint& a;
  Joint& b;
  float restLength = 0.0f;
};
