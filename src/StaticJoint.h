#pragma once

#include "Joint.h"

// An anchor: falls and rests on the terrain like any joint, but springs
// cannot move it, so it never leaves its x.
class StaticJoint : public Joint {
 public:
  static constexpr int kCoreRadius = 9;  // pixels

  using Joint::Joint;

  void addForce(Vector f) override;
  void draw(std::int32_t ox, std::int32_t oy) const override;
};
