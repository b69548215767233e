#include "Canvas.h"

#include <SDL.h>
#include <SDL_gfxPrimitives.h>

namespace canvas {
namespace {

// Pixels beyond the clip rectangle in which SDL_gfx's anti-aliasing may still
// touch the surface: a ring's blended edge and a line's neighbour pixel.
constexpr double kBleed = 2.0;

// Pixels of slack kept around the surface when a line must be cut down to
// 16-bit ends. Wide enough that the rounded cut ends keep the slope across the
// visible part to well under a pixel.
constexpr double kGuard = 4096.0;

struct Box {
  double x0, y0, x1, y1;  // inclusive pixel bounds
};

Box clipBox(const SDL_Surface* s, double margin) {
  const SDL_Rect& r = s->clip_rect;
  return {r.x - margin, r.y - margin, r.x + r.w - 1 + margin, r.y + r.h - 1 + margin};
}

bool fits16(double v) {
  return v >= std::numeric_limits<Sint16>::min() && v <= std::numeric_limits<Sint16>::max();
}

bool finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// The point of segment (x1, y1)-(x2, y2) on the edge x = v (edge 0 or 1) or
// y = v (edge 2 or 3), worked out from whichever end lies nearer to the edge:
// from an end 10^18 pixels away, the difference would keep no pixel of
// precision.
void onEdge(double x1, double y1, double x2, double y2, int edge, double v, double& x, double& y) {
  if (edge < 2) {
    const bool first = std::fabs(v - x1) <= std::fabs(v - x2);
    x = v;
    y = (first ? y1 : y2) + (v - (first ? x1 : x2)) * ((y2 - y1) / (x2 - x1));
  } else {
    const bool first = std::fabs(v - y1) <= std::fabs(v - y2);
    y = v;
    x = (first ? x1 : x2) + (v - (first ? y1 : y2)) * ((x2 - x1) / (y2 - y1));
  }
}

// Liang-Barsky: shrink the parameter range [t0, t1] of P(t) = P1 + t(P2 - P1)
// to the part inside b. False when nothing is left. An end is moved only when
// an edge cuts it off, and then onto that edge.
bool clip(double& x1, double& y1, double& x2, double& y2, const Box& b) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  double t0 = 0.0;
  double t1 = 1.0;
  int e0 = -1;  // the edge that cuts the first end, if any
  int e1 = -1;  // the edge that cuts the second end, if any
  // Each edge is p·t <= q.
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - b.x0, b.x1 - x1, y1 - b.y0, b.y1 - y1};
  const double at[4] = {b.x0, b.x1, b.y0, b.y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      if (r > t1) return false;
      if (r > t0) {
        t0 = r;
        e0 = i;
      }
    } else {
      if (r < t0) return false;
      if (r < t1) {
        t1 = r;
        e1 = i;
      }
    }
  }
  double ax = x1;
  double ay = y1;
  double bx = x2;
  double by = y2;
  if (e0 >= 0) onEdge(x1, y1, x2, y2, e0, at[e0], ax, ay);
  if (e1 >= 0) onEdge(x1, y1, x2, y2, e1, at[e1], bx, by);
  x1 = ax;
  y1 = ay;
  x2 = bx;
  y2 = by;
  return true;
}

// True when the box [x0, x1] × [y0, y1] misses the surface and its bleed.
bool outside(const SDL_Surface* s, double x0, double y0, double x1, double y1) {
  const Box b = clipBox(s, kBleed);
  return x1 < b.x0 || x0 > b.x1 || y1 < b.y0 || y0 > b.y1;
}

// True when both ends of a segment lie beyond the same edge of the surface
// and its bleed, so that no point of it can touch a pixel. Plain compares:
// most of a large structure is culled here, once per spring per frame.
bool beside(const SDL_Surface* s, double x1, double y1, double x2, double y2) {
  const Box b = clipBox(s, kBleed);
  return (x1 < b.x0 && x2 < b.x0) || (x1 > b.x1 && x2 > b.x1) || (y1 < b.y0 && y2 < b.y0) ||
         (y1 > b.y1 && y2 > b.y1);
}

Sint16 narrow(double v) { return *toInt<Sint16>(std::nearbyint(v)); }

}  // namespace

void line(SDL_Surface* s, double x1, double y1, double x2, double y2, Colour c) {
  if (!finite(x1, y1) || !finite(x2, y2)) return;
  if (beside(s, x1, y1, x2, y2)) return;
  if (!(fits16(x1) && fits16(y1) && fits16(x2) && fits16(y2))) {
    if (!clip(x1, y1, x2, y2, clipBox(s, kGuard))) return;
    // Both ends far away leave the cut points only as exact as those ends.
    if (!(fits16(x1) && fits16(y1) && fits16(x2) && fits16(y2))) return;
  }
  aalineRGBA(s, narrow(x1), narrow(y1), narrow(x2), narrow(y2), c.r, c.g, c.b, c.a);
}

void ring(SDL_Surface* s, double x, double y, std::int16_t r, Colour c) {
  if (!finite(x, y) || outside(s, x - r, y - r, x + r, y + r)) return;
  aacircleRGBA(s, narrow(x), narrow(y), r, c.r, c.g, c.b, c.a);
}

void disc(SDL_Surface* s, double x, double y, std::int16_t r, Colour c) {
  if (!finite(x, y) || outside(s, x - r, y - r, x + r, y + r)) return;
  filledCircleRGBA(s, narrow(x), narrow(y), r, c.r, c.g, c.b, c.a);
}

}  // namespace canvas
