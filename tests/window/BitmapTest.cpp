#include "Bitmap.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Writes a 3x2 bitmap whose pixel (x, y) is (10x + y, 100 + x, 200 + y):
// every pixel differs, and so does every channel.
bmp::Rgb expected(int x, int y) { return {10 * x + y, 100 + x, 200 + y}; }

constexpr int kWidth = 3;
constexpr int kHeight = 2;

struct Layout {
  const char* name;
  std::uint16_t bitsPerPixel;
  bool topDown;
  bool fields;  // BI_BITFIELDS with the masks spelled out, as SDL 2 writes 32-bit pictures
};

void PrintTo(const Layout& l, std::ostream* os) { *os << l.name; }

void put16(std::vector<unsigned char>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<unsigned char>(v & 0xff);
  b[at + 1] = static_cast<unsigned char>((v >> 8) & 0xff);
}
void put32(std::vector<unsigned char>& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xffff);
  put16(b, at + 2, v >> 16);
}

std::vector<unsigned char> write(const Layout& l) {
  const std::size_t bytesPerPixel = l.bitsPerPixel / 8u;
  const std::size_t stride = (bytesPerPixel * kWidth + 3) / 4 * 4;  // rows pad to 4 bytes
  const std::size_t offset = 54 + (l.fields ? 12 : 0);
  std::vector<unsigned char> b(offset + stride * kHeight, 0xee);  // padding is junk on purpose
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 2, static_cast<std::uint32_t>(b.size()));
  put32(b, 10, static_cast<std::uint32_t>(offset));
  put32(b, 14, 40);
  put32(b, 18, kWidth);
  put32(b, 22, static_cast<std::uint32_t>(l.topDown ? -kHeight : kHeight));
  put16(b, 26, 1);
  put16(b, 28, l.bitsPerPixel);
  put32(b, 30, l.fields ? 3 : 0);
  if (l.fields) {
    // A channel order unlike the default, so a reader that ignores masks fails.
    put32(b, 54, 0x000000ffu);  // red in the lowest byte
    put32(b, 58, 0x00ff0000u);  // green
    put32(b, 62, 0x0000ff00u);  // blue
  }
  for (int y = 0; y < kHeight; ++y) {
    const int row = l.topDown ? y : kHeight - 1 - y;
    for (int x = 0; x < kWidth; ++x) {
      const bmp::Rgb c = expected(x, y);
      const std::size_t p =
          offset + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(x) * bytesPerPixel;
      if (l.fields) {
        put32(b, p,
              static_cast<std::uint32_t>(c.r) | static_cast<std::uint32_t>(c.g) << 16 |
                  static_cast<std::uint32_t>(c.b) << 8);
      } else {
        b[p] = static_cast<unsigned char>(c.b);
        b[p + 1] = static_cast<unsigned char>(c.g);
        b[p + 2] = static_cast<unsigned char>(c.r);
        if (bytesPerPixel == 4) b[p + 3] = 0;
      }
    }
  }
  return b;
}

class BitmapLayouts : public testing::TestWithParam<Layout> {};

TEST_P(BitmapLayouts, EveryPixelReadsBack) {
  const bmp::Bitmap bitmap(write(GetParam()), GetParam().name);
  ASSERT_EQ(bitmap.width(), kWidth);
  ASSERT_EQ(bitmap.height(), kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bmp::Rgb got = bitmap.at(x, y);
      const bmp::Rgb want = expected(x, y);
      EXPECT_EQ(got.r, want.r) << "(" << x << ", " << y << ")";
      EXPECT_EQ(got.g, want.g) << "(" << x << ", " << y << ")";
      EXPECT_EQ(got.b, want.b) << "(" << x << ", " << y << ")";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BitmapLayouts,
                         testing::Values(Layout{"bottom-up 24-bit", 24, false, false},
                                         Layout{"top-down 24-bit", 24, true, false},
                                         Layout{"bottom-up 32-bit", 32, false, false},
                                         Layout{"top-down 32-bit with masks", 32, true, true}),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& c : n) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return n;
                         });

TEST(Bitmap, RefusesWhatItCannotRead) {
  const Layout plain{"plain", 24, false, false};
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
  };
  std::vector<Case> cases{{"truncated pixels", write(plain)},
                          {"not a bitmap", write(plain)},
                          {"8 bits per pixel", write(plain)},
                          {"run-length compressed", write(plain)}};
  cases[0].bytes.pop_back();
  cases[1].bytes[0] = 'P';
  put16(cases[2].bytes, 28, 8);
  put32(cases[3].bytes, 30, 1);  // BI_RLE8
  for (const Case& c : cases) {
    EXPECT_THROW(bmp::Bitmap(c.bytes, c.name), std::runtime_error) << c.name;
  }
}

}  // namespace
