#include "Joint.h"

#include <SDL.h>

#include <cmath>

#include "Canvas.h"
#include "Ground.h"
#include "Screen.h"
#include "Tavelond.h"

namespace {
constexpr canvas::Colour kOrange{206, 101, 0, 255};
}

Joint::Joint(float x, float y) : pos(x, y) {}

void Joint::move() {
  // v += a; p += v; v *= damping  (every step rounded to single precision)
  vel += acc;
  pos += vel;
  vel *= kDamping;

  // Below the terrain (y grows downward): put back on it, vertical speed
  // dropped. Horizontal motion is untouched, so joints slide on the ground.
  const double h = instance->ground->height(pos.x);
  if (h < pos.y) {
    pos.y = static_cast<float>(h);
    vel.y = 0.0f;
  }
}

void Joint::addForce(Vector f) { vel += f; }

void Joint::draw(std::int32_t ox, std::int32_t oy) const {
  SDL_Surface* s = instance->screen->surface;
  const double sx = canvas::toScreen(pos.x, ox);
  const double sy = canvas::toScreen(pos.y, oy);
  canvas::disc(s, sx, sy, kRadius, kOrange);
  canvas::ring(s, sx, sy, kRadius, kOrange);
}

void Joint::blit(SDL_Surface* image) const {
  const int halfW = image->w / 2;  // toward zero, as the corner is
  const int halfH = image->h / 2;
  const auto x = canvas::toInt<Sint16>(std::trunc(static_cast<double>(pos.x)) - halfW);
  const auto y = canvas::toInt<Sint16>(std::trunc(static_cast<double>(pos.y)) - halfH);
  if (!x || !y) return;  // beyond what an SDL_Rect can address
  SDL_Rect to{*x, *y, 0, 0};
  SDL_BlitSurface(image, nullptr, instance->screen->surface, &to);
}

bool Joint::hitTest(std::int32_t x, std::int32_t y) const {
  const double d = std::hypot(x - static_cast<double>(pos.x), y - static_cast<double>(pos.y));
  return d < kRadius;
}
