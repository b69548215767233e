#include "Spring.h"

#include <cmath>

#include "Canvas.h"
#include "Joint.h"
#include "Screen.h"
#include "Tavelond.h"

namespace {
constexpr canvas::Colour kWhite{255, 255, 255, 255};
}

Spring::Spring(Joint& a_, Joint& b_, float length) : a(a_), b(b_), restLength(length) {
  if (length < 0.0f) {
    const float measured = static_cast<float>((b.pos - a.pos).length());
    restLength = measured > kMaxAutoLength ? kMaxAutoLength : measured;
  }
}

void Spring::move() {
  // Stretch is measured between the ends' predicted positions p + v.
  const Vector d = (b.pos + b.vel) - (a.pos + a.vel);
  // e = |d| - L0, rounded once; f = k e d/|d|, split evenly between the ends.
  const float e = static_cast<float>(d.length() - restLength);
  const float k = e * kStiffness;
  const Vector f = d.unit() * k;
  if (std::isnan(f.length())) return;  // coincident ends or a NaN rest length
  a.addForce(f / 2.0f);
  b.addForce(-f / 2.0f);
}

void Spring::draw(std::int32_t ox, std::int32_t oy) const {
  canvas::line(instance->screen->surface, canvas::toScreen(a.pos.x, ox), canvas::toScreen(a.pos.y, oy),
               canvas::toScreen(b.pos.x, ox), canvas::toScreen(b.pos.y, oy), kWhite);
}
