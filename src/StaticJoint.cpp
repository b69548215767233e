#include "StaticJoint.h"

#include "Canvas.h"
#include "Screen.h"
#include "Tavelond.h"

namespace {
constexpr canvas::Colour kRed{240, 0, 0, 255};
constexpr canvas::Colour kOrange{206, 101, 0, 255};
}  // namespace

void StaticJoint::addForce(Vector) {}

void StaticJoint::draw(std::int32_t ox, std::int32_t oy) const {
  SDL_Surface* s = instance->screen->surface;
  const double sx = canvas::toScreen(pos.x, ox);
  const double sy = canvas::toScreen(pos.y, oy);
  canvas::disc(s, sx, sy, kRadius, kRed);
  canvas::ring(s, sx, sy, kRadius, kRed);
  canvas::disc(s, sx, sy, kCoreRadius, kOrange);
  canvas::ring(s, sx, sy, kCoreRadius, kOrange);
}
