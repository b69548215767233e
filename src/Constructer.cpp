#include "Constructer.h"

#include <SDL.h>

#include <memory>

#include "Canvas.h"
#include "Joint.h"
#include "Platform.h"
#include "Screen.h"
#include "Sight.h"
#include "Spring.h"
#include "Tavelond.h"
#include "Tower.h"

namespace {
constexpr std::uint8_t kLeft = SDL_BUTTON(SDL_BUTTON_LEFT);
constexpr std::uint8_t kRight = SDL_BUTTON(SDL_BUTTON_RIGHT);
constexpr float kMeasure = -1.0f;  // rest length: the ends' current distance
constexpr int kHalfPeriod = Constructer::kPulsePeriod / 2;
}  // namespace

void Constructer::move() {
  const std::int32_t ox = instance->sight->x;
  const std::int32_t oy = instance->sight->y;
  int mx = 0;
  int my = 0;
  const std::uint8_t state = platform::mouseState(&mx, &my);
  const auto pressed = static_cast<std::uint8_t>(state & ~buttons);
  // Unsigned, so the counter wraps to negative values without overflow.
  count = static_cast<std::int32_t>(static_cast<std::uint32_t>(count) + 1u);

  if (pressed & kLeft) {
    const std::int32_t wx = mx - ox;
    const std::int32_t wy = my - oy;
    if (first == nullptr) {
      first = pick(wx, wy);
    } else if (second == nullptr) {
      second = pick(wx, wy);
    } else {
      Tower& tower = *instance->tower;
      auto& joint =
          *tower.joints.emplace_back(std::make_unique<Joint>(static_cast<float>(wx), static_cast<float>(wy)));
      auto toFirst = std::make_unique<Spring>(joint, *first, kMeasure);
      auto toSecond = std::make_unique<Spring>(joint, *second, kMeasure);
      tower.springs.reserve(tower.springs.size() + 2);
      tower.springs.push_back(std::move(toFirst));
      tower.springs.push_back(std::move(toSecond));
      first = nullptr;
      second = nullptr;
    }
  }
  if (pressed & kRight) {
    first = nullptr;
    second = nullptr;
  }
  buttons = state;
}

Joint* Constructer::pick(std::int32_t x, std::int32_t y) {
  for (const auto& j : instance->tower->joints) {
    if (j->hitTest(x, y)) return j.get();
  }
  return nullptr;
}

void Constructer::draw(std::int32_t ox, std::int32_t oy) const {
  int mx = 0;
  int my = 0;
  platform::mouseState(&mx, &my);
  if (first != nullptr && second != nullptr) {
    SDL_Surface* s = instance->screen->surface;
    const canvas::Colour c{255, 255, 255, kPreviewAlpha};
    for (const Joint* j : {first, second}) {
      canvas::line(s, mx, my, canvas::toScreen(j->pos.x, ox), canvas::toScreen(j->pos.y, oy), c);
    }
    drawPulse(mx, my, kPulseRadius);
  }
  drawMark(ox, oy, first);
  drawMark(ox, oy, second);
}

void Constructer::drawMark(std::int32_t ox, std::int32_t oy, const Joint* joint) const {
  if (joint == nullptr) return;
  drawPulse(canvas::toScreen(joint->pos.x, ox), canvas::toScreen(joint->pos.y, oy), kPulseRadius);
}

void Constructer::drawPulse(double x, double y, int radius) const {
  canvas::ring(instance->screen->surface, x, y, static_cast<std::int16_t>(radius),
               {255, 255, 255, pulseAlpha(count)});
}

std::uint8_t Constructer::pulseAlpha(std::int32_t c) {
  // T(k) = (k / 60) · 223 + 32, in double, truncated to 16 bits; the low 8
  // bits are the alpha, and the falling half is 255 minus the rising value.
  const auto T = [](std::int32_t k) {
    const double t = (k / static_cast<double>(kHalfPeriod)) * 223.0 + 32.0;
    return static_cast<std::uint8_t>(static_cast<std::int16_t>(t));
  };
  if (c % kPulsePeriod < kHalfPeriod) return T(c % kHalfPeriod);
  return static_cast<std::uint8_t>(255 - T((c - kHalfPeriod) % kHalfPeriod));
}
