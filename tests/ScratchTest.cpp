#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include "GameFixture.h"
#include "Joint.h"
#include "Tower.h"
#include "Constructer.h"
#include "Sight.h"

class Scratch : public GameTest {};

TEST_F(Scratch, Explode) {
  const char* e = getenv("RADIUS");
  double radius = e ? atof(e) : 40;
  int placements = 0;
  Joint* J = nullptr;
  // script: list of click targets, each pressed one frame, released the next
  int step = 0;
  int frame0 = 0;
  runFrames(3000, [&](int f) {
    auto& joints = game->tower->joints;
    if (J == nullptr && joints.size() > 4) J = joints[4].get();
    double mx = 0;
    if (J) {
      for (auto& j : joints) mx = std::fmax(mx, std::fmax(std::fabs(j->pos.x), std::fabs(j->pos.y)));
      if (std::isnan(J->pos.x) ) mx = NAN;
    }
    if (f % 50 == 0 || (f < 600 && f%6==0)) printf("f %d placed %d joints %zu max %g J (%g,%g) sel %p %p\n", f, placements, joints.size(), mx, J?J->pos.x:0., J?J->pos.y:0., (void*)game->constructer->first,(void*)game->constructer->second);
    if (f < 5) return;
    if (f % 2 == 1) { FakeInput::buttons = 0; return; }
    if (placements >= 61) { FakeInput::buttons = 0; return; }
    int phase = step % 3;
    int tx, ty;
    if (J == nullptr) {
      const int ax[] = {256, 384, 320}; const int ay[] = {458, 365, 300};
      tx = ax[phase]; ty = ay[phase];
    } else if (phase < 2) {
      tx = (int)std::trunc(J->pos.x); ty = (int)std::trunc(J->pos.y);
    } else {
      double a = placements * 2.39996;
      tx = (int)std::trunc(J->pos.x + radius*std::cos(a)); ty = (int)std::trunc(J->pos.y + radius*std::sin(a));
    }
    FakeInput::x = tx; FakeInput::y = ty; FakeInput::dx = FakeInput::dy = 0;
    FakeInput::buttons = SDL_BUTTON(1);
    if (phase == 2) placements++;
    step++;
    (void)frame0;
  });
}
