// Reads PNG files with libpng, which checks every chunk's CRC and the image
// data, and tells what the install test needs to know about them.
//
//   png-probe FILE         prints "WIDTHxHEIGHT TYPE corner-alpha=A centre-alpha=A colours=N"
//   png-probe --same A B   exits 0 when A and B hold the same pixels
//
// Exits 1 when a file is not a readable PNG, or for --same when the pixels differ.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

struct Image {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int colourType = 0;
  std::vector<std::uint8_t> rgba;  // expanded to 8-bit RGBA

  std::uint8_t alpha(std::uint32_t x, std::uint32_t y) const {
    return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
  }
};

std::optional<Image> load(const char* path) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&img, path) == 0) {
    std::fprintf(stderr, "%s: %s\n", path, img.message);
    return std::nullopt;
  }
  Image out;
  out.width = img.width;
  out.height = img.height;
  // The colour type as stored in the file, before conversion.
  out.colourType =
      (img.format & PNG_FORMAT_FLAG_COLOR ? 2 : 0) | (img.format & PNG_FORMAT_FLAG_ALPHA ? 4 : 0);
  img.format = PNG_FORMAT_RGBA;
  out.rgba.resize(PNG_IMAGE_SIZE(img));
  if (png_image_finish_read(&img, nullptr, out.rgba.data(), 0, nullptr) == 0) {
    std::fprintf(stderr, "%s: %s\n", path, img.message);
    png_image_free(&img);
    return std::nullopt;
  }
  return out;
}

const char* typeName(int colourType) {
  switch (colourType) {
    case 0:
      return "grey";
    case 2:
      return "rgb";
    case 4:
      return "grey-alpha";
    case 6:
      return "rgba";
    default:
      return "unknown";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--same") == 0) {
    const auto a = load(argv[2]);
    const auto b = load(argv[3]);
    if (!a || !b) return 1;
    if (a->width != b->width || a->height != b->height || a->rgba != b->rgba) {
      std::fprintf(stderr, "%s and %s differ\n", argv[2], argv[3]);
      return 1;
    }
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE | --same A B\n", argv[0]);
    return 2;
  }
  const auto img = load(argv[1]);
  if (!img) return 1;
  std::set<std::uint32_t> colours;
  for (std::size_t i = 0; i + 3 < img->rgba.size(); i += 4) {
    std::uint32_t c = 0;
    std::memcpy(&c, &img->rgba[i], 4);
    colours.insert(c);
  }
  std::printf("%ux%u %s corner-alpha=%u centre-alpha=%u colours=%zu\n", img->width, img->height,
              typeName(img->colourType), img->alpha(0, 0), img->alpha(img->width / 2, img->height / 2),
              colours.size());
  return 0;
}
