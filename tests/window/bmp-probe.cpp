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

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
};

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;   // BITMAPINFOHEADER
constexpr std::uint32_t kCompressionRgb = 0;     // BI_RGB
constexpr std::uint32_t kCompressionFields = 3;  // BI_BITFIELDS

class Bitmap {
 public:
  explicit Bitmap(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes_.size() < kFileHeaderBytes + kInfoHeaderBytes || bytes_[0] != 'B' || bytes_[1] != 'M') {
      throw std::runtime_error(path + " is not a Windows bitmap");
    }
    const std::uint32_t dataOffset = u32(10);
    width_ = static_cast<std::int32_t>(u32(18));
    const auto rawHeight = static_cast<std::int32_t>(u32(22));
    bitsPerPixel_ = u16(28);
    const std::uint32_t compression = u32(30);
    topDown_ = rawHeight < 0;
    height_ = topDown_ ? -rawHeight : rawHeight;
    if (width_ <= 0 || height_ <= 0) throw std::runtime_error(path + ": empty picture");
    if (bitsPerPixel_ != 24 && bitsPerPixel_ != 32) {
      throw std::runtime_error(path + ": unsupported depth " + std::to_string(bitsPerPixel_));
    }
    if (compression == kCompressionFields) {
      // The masks follow a plain info header, and open the V4 and V5 headers: at
      // the same place either way.
      const std::uint32_t at = kFileHeaderBytes + kInfoHeaderBytes;
      masks_ = {u32(at), u32(at + 4), u32(at + 8)};
    } else if (compression != kCompressionRgb) {
      throw std::runtime_error(path + ": compressed bitmaps are not read");
    } else if (bitsPerPixel_ == 32) {
      masks_ = {0x00ff0000u, 0x0000ff00u, 0x000000ffu};
    }
    stride_ = ((static_cast<std::size_t>(bitsPerPixel_) * static_cast<std::size_t>(width_) + 31) / 32) * 4;
    dataOffset_ = dataOffset;
    if (dataOffset_ + stride_ * static_cast<std::size_t>(height_) > bytes_.size()) {
      throw std::runtime_error(path + ": truncated pixel data");
    }
  }

  int width() const { return width_; }
  int height() const { return height_; }

  Rgb at(int x, int y) const {
    const int row = topDown_ ? y : height_ - 1 - y;
    const std::size_t p = dataOffset_ + static_cast<std::size_t>(row) * stride_ +
                          static_cast<std::size_t>(x) * static_cast<std::size_t>(bitsPerPixel_ / 8);
    if (bitsPerPixel_ == 24) return {bytes_[p + 2], bytes_[p + 1], bytes_[p]};
    const std::uint32_t v = u32(p);
    return {channel(v, masks_[0]), channel(v, masks_[1]), channel(v, masks_[2])};
  }

 private:
  std::uint32_t u16(std::size_t at) const {
    return static_cast<std::uint32_t>(bytes_[at]) | static_cast<std::uint32_t>(bytes_[at + 1]) << 8;
  }
  std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }

  // Scales a masked field to 0..255; masks of the bitmaps read here are 8 bits wide.
  static int channel(std::uint32_t v, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    const std::uint32_t field = (v & mask) >> shift;
    const std::uint32_t max = mask >> shift;
    return static_cast<int>(field * 255u / max);
  }

  std::vector<unsigned char> bytes_;
  std::array<std::uint32_t, 3> masks_{};
  std::size_t stride_ = 0;
  std::size_t dataOffset_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::uint32_t bitsPerPixel_ = 0;
  bool topDown_ = false;
};

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
