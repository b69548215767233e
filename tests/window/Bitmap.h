#pragma once

// A reader for uncompressed Windows bitmaps of 24 or 32 bits per pixel
// (BI_RGB or BI_BITFIELDS, bottom-up or top-down): enough for what SDL 1.2
// and sdl12-compat write, and shared with nothing that wrote them.

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace bmp {

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
  // Reads the file at path; throws std::runtime_error on anything it cannot read.
  explicit Bitmap(const std::string& path) : Bitmap(load(path), path) {}

  // Reads a bitmap held in memory; path only names it in error messages.
  Bitmap(std::vector<unsigned char> bytes, const std::string& path) : bytes_(std::move(bytes)) {
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
      if (bytes_.size() < at + 12) throw std::runtime_error(path + ": truncated colour masks");
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
  static std::vector<unsigned char> load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

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

}  // namespace bmp
