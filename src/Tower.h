#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class Joint;
class Spring;

// Owns every joint and spring; steps and draws them in list order.
class Tower {
 public:
  // Places the anchors; needs instance->screen and instance->ground.
  Tower();
  virtual ~Tower();
  Tower(const Tower&) = delete;
  Tower& operator=(const Tower&) = delete;

  // All springs push their ends, then all joints move.
  virtual void move();
  // Springs first, joints over them.
  virtual void draw(std::int32_t ox, std::int32_t oy) const;

  // One anchor at every multiple of a fifth of the surface width strictly
  // inside it, standing at the integer part of the terrain height there.
  static std::vector<std::unique_ptr<Joint>> makeAnchors();

  // Only ever appended to: anchors first, then joints in placement order.
  std::vector<std::unique_ptr<Joint>> joints;
  std::vector<std::unique_ptr<Spring>> springs;
};
