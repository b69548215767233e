// Draws the application icon: two anchors on a dashed wavy ground, two free
// joints above them, tied together by springs, on the game's grey backdrop.
// The drawing is made of shapes in a unit square, so every size is the same
// picture; each pixel is the coverage of a 6x6 grid of samples.
//
//   make-icon SIZE OUT.png
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct Rgb {
  double r, g, b;
};
struct Point {
  double x, y;
};

// The game's own colours.
constexpr Rgb kBackdrop{64, 64, 64};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{240, 0, 0};
constexpr Rgb kOrange{206, 101, 0};

constexpr int kSamples = 6;  // per pixel side

double groundY(double x) { return 0.80 - 0.045 * std::sin(x * 2.0 * std::numbers::pi * 1.5 + 0.6); }

constexpr Point kAnchorL{0.27, 0.0};  // y put on the ground below
constexpr Point kAnchorR{0.73, 0.0};
constexpr Point kJointLow{0.44, 0.47};
constexpr Point kJointHigh{0.60, 0.19};

double distToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
  t = std::fmax(0.0, std::fmin(1.0, t));
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool inRoundedSquare(Point p) {
  constexpr double kMargin = 0.03;
  constexpr double kCorner = 0.17;
  constexpr double kLo = kMargin + kCorner;
  constexpr double kHi = 1.0 - kMargin - kCorner;
  const double cx = std::fmin(std::fmax(p.x, kLo), kHi);
  const double cy = std::fmin(std::fmax(p.y, kLo), kHi);
  return std::hypot(p.x - cx, p.y - cy) <= kCorner;
}

// A sample's colour and opacity: later shapes lie over earlier ones.
struct Sample {
  Rgb c{0, 0, 0};
  bool opaque = false;
};

Sample shade(Point p) {
  Sample s;
  if (!inRoundedSquare(p)) return s;
  s = {kBackdrop, true};

  // Dashed ground: a polyline along groundY, every other stretch drawn.
  constexpr double kDash = 0.055;
  constexpr double kGroundHalfWidth = 0.018;
  constexpr int kSteps = 200;
  // Only the segments whose x span comes within a half width of p can reach it.
  const int first = std::max(0, static_cast<int>(std::floor((p.x - kGroundHalfWidth) * kSteps)) - 1);
  const int last = std::min(kSteps, static_cast<int>(std::ceil((p.x + kGroundHalfWidth) * kSteps)) + 1);
  for (int i = first; i < last; ++i) {
    const double x0 = static_cast<double>(i) / kSteps;
    const double x1 = static_cast<double>(i + 1) / kSteps;
    if (static_cast<int>(std::floor(x0 / kDash)) % 2 != 0) continue;
    if (distToSegment(p, {x0, groundY(x0)}, {x1, groundY(x1)}) <= kGroundHalfWidth) s.c = kWhite;
  }

  const Point anchorL{kAnchorL.x, groundY(kAnchorL.x) - 0.07};
  const Point anchorR{kAnchorR.x, groundY(kAnchorR.x) - 0.07};
  // Built as in the game: the low joint tied to both anchors, the high one
  // to the low joint and the right anchor.
  const std::array<std::array<Point, 2>, 4> springs{
      {{anchorL, kJointLow}, {anchorR, kJointLow}, {anchorR, kJointHigh}, {kJointLow, kJointHigh}}};
  constexpr double kSpringHalfWidth = 0.016;
  for (const auto& sp : springs) {
    if (distToSegment(p, sp[0], sp[1]) <= kSpringHalfWidth) s.c = kWhite;
  }

  constexpr double kJointRadius = 0.085;
  constexpr double kCoreRadius = 0.05;
  for (const Point& j : {kJointLow, kJointHigh}) {
    if (std::hypot(p.x - j.x, p.y - j.y) <= kJointRadius) s.c = kOrange;
  }
  for (const Point& a : {anchorL, anchorR}) {
    const double d = std::hypot(p.x - a.x, p.y - a.y);
    if (d <= kJointRadius) s.c = kRed;
    if (d <= kCoreRadius) s.c = kOrange;
  }
  return s;
}

std::vector<std::uint8_t> render(int size) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double r = 0;
      double g = 0;
      double b = 0;
      int covered = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Point p{(x + (sx + 0.5) / kSamples) / size, (y + (sy + 0.5) / kSamples) / size};
          const Sample s = shade(p);
          if (!s.opaque) continue;
          r += s.c.r;
          g += s.c.g;
          b += s.c.b;
          ++covered;
        }
      }
      std::uint8_t* px =
          &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)) *
                4];
      if (covered > 0) {
        // Colour averaged over the covered samples; coverage goes to alpha.
        px[0] = static_cast<std::uint8_t>(std::lround(r / covered));
        px[1] = static_cast<std::uint8_t>(std::lround(g / covered));
        px[2] = static_cast<std::uint8_t>(std::lround(b / covered));
        px[3] = static_cast<std::uint8_t>(std::lround(255.0 * covered / (kSamples * kSamples)));
      }
    }
  }
  return rgba;
}

bool writePng(const char* path, int size, const std::vector<std::uint8_t>& rgba) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  const auto side = static_cast<png_uint_32>(size);
  png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < size; ++y) {
    png_write_row(png, &rgba[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) * 4]);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SIZE OUT.png\n", argv[0]);
    return 2;
  }
  char* end = nullptr;
  const long size = std::strtol(argv[1], &end, 10);
  if (*end != '\0' || size < 16 || size > 1024) {
    std::fprintf(stderr, "%s: size must be 16 to 1024 pixels\n", argv[0]);
    return 2;
  }
  if (!writePng(argv[2], static_cast<int>(size), render(static_cast<int>(size)))) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
    return 1;
  }
  return 0;
}
