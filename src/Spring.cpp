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

namespace {
// True exactly when f.length() would be NaN: a NaN component and no
// infinite one (hypot gives +inf for an infinity even beside a NaN). Spares
// a hypot per spring per frame.
bool lengthIsNaN(Vector f) {
  return (std::isnan(f.x) || std::isnan(f.y)) && !std::isinf(f.x) && !std::isinf(f.y);
}
}  // namespace

void Spring::move() {
  // Stretch is measured between the ends' predicted positions p + v.
  const Vector d = (b.pos + b.vel) - (a.pos + a.vel);
  // e = |d| - L0, rounded once; f = k e d/|d|, split evenly between the ends.
  // |d| is measured once and serves both.
  const double length = d.length();
  const float e = static_cast<float>(length - restLength);
  const float k = e * kStiffness;
  const Vector f = d.unit(length) * k;
  if (lengthIsNaN(f)) return;  // coincident ends or a NaN rest length
  a.addForce(f / 2.0f);
  b.addForce(-f / 2.0f);
}

void Spring::draw(std::int32_t ox, std::int32_t oy) const {
  canvas::line(instance->screen->surface, canvas::toScreen(a.pos.x, ox), canvas::toScreen(a.pos.y, oy),
               canvas::toScreen(b.pos.x, ox), canvas::toScreen(b.pos.y, oy), kWhite);
}
