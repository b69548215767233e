// A long soak from the command line: tavelond-soak SEED [FRAMES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Soak.h"

int main(int argc, char** argv) {
  constexpr unsigned long long kDefaultFrames = 1'000'000;
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s SEED [FRAMES]\n", argv[0]);
    return 2;
  }
  const unsigned long long seed = std::stoull(argv[1]);
  const unsigned long long frames = argc == 3 ? std::stoull(argv[2]) : kDefaultFrames;

  const auto start = std::chrono::steady_clock::now();
  soak::Figures f;
  {
    soak::Session session;
    f = session.play(seed, frames);
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

  std::printf(
      "seed %llu frames %llu joints %zu springs %zu unbounded %zu toggles %llu screenshots %llu "
      "far-pans %llu hubs %llu time %.1f s\n",
      seed, static_cast<unsigned long long>(f.frames), f.joints, f.springs, f.unbounded,
      static_cast<unsigned long long>(f.toggles), static_cast<unsigned long long>(f.screenshots),
      static_cast<unsigned long long>(f.farPans), static_cast<unsigned long long>(f.hubs), took.count());
  if (!f.failure.empty()) {
    std::printf("FAILED after frame %llu: %s\n", static_cast<unsigned long long>(f.frames),
                f.failure.c_str());
    return 1;
  }
  if (f.frames != frames) {  // SDL turns SIGINT and SIGTERM into a quit request
    std::printf("stopped early, after frame %llu\n", static_cast<unsigned long long>(f.frames));
    return 1;
  }
  return 0;
}
