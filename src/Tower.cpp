#include "Tower.h"

#include <SDL.h>

#include "Canvas.h"
#include "Ground.h"
#include "Joint.h"
#include "Screen.h"
#include "Spring.h"
#include "StaticJoint.h"
#include "Tavelond.h"

namespace {
constexpr int kAnchorSlots = 5;  // the width is cut in fifths; anchors stand on the inner cuts
}

Tower::Tower() : joints(makeAnchors()) {}

Tower::~Tower() = default;

std::vector<std::unique_ptr<Joint>> Tower::makeAnchors() {
  std::vector<std::unique_ptr<Joint>> anchors;
  const int w = instance->screen->surface->w;
  const int spacing = w / kAnchorSlots;
  if (spacing < 1) return anchors;  // too narrow to hold any
  for (int x = spacing; x < w; x += spacing) {
    const auto y = canvas::toInt<std::int32_t>(instance->ground->height(static_cast<float>(x)));
    anchors.push_back(std::make_unique<StaticJoint>(static_cast<float>(x), static_cast<float>(*y)));
  }
  return anchors;
}

void Tower::move() {
  for (const auto& s : springs) s->move();
  for (const auto& j : joints) j->move();
}

void Tower::draw(std::int32_t ox, std::int32_t oy) const {
  for (const auto& s : springs) s->draw(ox, oy);
  for (const auto& j : joints) j->draw(ox, oy);
}
