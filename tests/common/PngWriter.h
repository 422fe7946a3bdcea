// Writes pictures that tests render as PNG files for people to look at, through libpng's
// simplified API.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_png {

// `pixels` are 0x00RRGGBB, top row first; returns false when the file cannot be written.
inline bool WriteRgbPng(const std::string& path, int width, int height,
                        const std::vector<uint32_t>& pixels) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height)
    return false;
  std::vector<uint8_t> rgb(pixels.size() * 3);
  for (size_t i = 0; i < pixels.size(); ++i) {
    rgb[i * 3] = static_cast<uint8_t>(pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const bool ok =
      png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

}  // namespace testing_png
