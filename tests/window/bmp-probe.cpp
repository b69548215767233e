// Reads pixels out of a Windows bitmap for the real-window tests and the
// picture script. It has its own reader, so the bitmaps the toy writes are
// checked by code that shares nothing with the SDL that wrote them.
//
//   bmp-probe size FILE                        -> W H
//   bmp-probe pixel FILE X Y                   -> R G B
//   bmp-probe blob FILE R G B X0 Y0 X1 Y1      -> N CX CY   (pixels of exactly that colour
//                                                            in the box, and their centroid)
//   bmp-probe brightest FILE X0 Y0 X1 Y1       -> R G B X Y (largest R+G+B in the box)
//
// Boxes are inclusive and clipped to the picture. Exit status 2 on a bad
// file or bad arguments.

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "Bitmap.h"

namespace {

using bmp::Bitmap;
using bmp::Rgb;

int number(const char* s) {
  char* end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (end == s || *end != '\0') throw std::runtime_error(std::string("not a number: ") + s);
  return static_cast<int>(v);
}

struct Box {
  int x0, y0, x1, y1;
};

Box clipped(const Bitmap& bmp, char** a) {
  Box b{number(a[0]), number(a[1]), number(a[2]), number(a[3])};
  if (b.x0 < 0) b.x0 = 0;
  if (b.y0 < 0) b.y0 = 0;
  if (b.x1 > bmp.width() - 1) b.x1 = bmp.width() - 1;
  if (b.y1 > bmp.height() - 1) b.y1 = bmp.height() - 1;
  return b;
}

int run(int argc, char** argv) {
  if (argc < 3) throw std::runtime_error("usage: bmp-probe size|pixel|blob|brightest FILE ...");
  const std::string command = argv[1];
  const Bitmap bmp(argv[2]);
  char** args = argv + 3;
  const int given = argc - 3;

  if (command == "size" && given == 0) {
    std::printf("%d %d\n", bmp.width(), bmp.height());
  } else if (command == "pixel" && given == 2) {
    const int x = number(args[0]);
    const int y = number(args[1]);
    if (x < 0 || y < 0 || x >= bmp.width() || y >= bmp.height()) throw std::runtime_error("pixel outside");
    const Rgb c = bmp.at(x, y);
    std::printf("%d %d %d\n", c.r, c.g, c.b);
  } else if (command == "blob" && given == 7) {
    const Rgb want{number(args[0]), number(args[1]), number(args[2])};
    const Box b = clipped(bmp, args + 3);
    long n = 0;
    double sx = 0;
    double sy = 0;
    for (int y = b.y0; y <= b.y1; ++y) {
      for (int x = b.x0; x <= b.x1; ++x) {
        const Rgb c = bmp.at(x, y);
        if (c.r == want.r && c.g == want.g && c.b == want.b) {
          ++n;
          sx += x;
          sy += y;
        }
      }
    }
    if (n == 0) {
      std::printf("0 nan nan\n");
    } else {
      std::printf("%ld %.2f %.2f\n", n, sx / static_cast<double>(n), sy / static_cast<double>(n));
    }
  } else if (command == "brightest" && given == 4) {
    const Box b = clipped(bmp, args);
    Rgb best{-1, -1, -1};
    int bx = -1;
    int by = -1;
    for (int y = b.y0; y <= b.y1; ++y) {
      for (int x = b.x0; x <= b.x1; ++x) {
        const Rgb c = bmp.at(x, y);
        if (c.r + c.g + c.b > best.r + best.g + best.b) {
          best = c;
          bx = x;
          by = y;
        }
      }
    }
    if (bx < 0) throw std::runtime_error("empty box");
    std::printf("%d %d %d %d %d\n", best.r, best.g, best.b, bx, by);
  } else {
    throw std::runtime_error("unknown command or wrong number of arguments: " + command);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bmp-probe: %s\n", e.what());
    return 2;
  }
}
