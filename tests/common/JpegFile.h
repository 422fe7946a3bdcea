// JPEG files written and read with libjpeg directly, for tests and benchmarks that need real
// photos and an outside decoder to compare with.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>
// jpeglib.h uses FILE without including <stdio.h> itself.
#include <jpeglib.h>

namespace testing_jpeg {

// `rgb` holds width x height pixels, 3 bytes each (R, G, B), top row first.
inline std::vector<uint8_t> Encode(const std::vector<uint8_t>& rgb, int width, int height,
                                   int quality = 90) {
  jpeg_compress_struct c{};
  jpeg_error_mgr error{};
  c.err = jpeg_std_error(&error);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row =
        const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(c.next_scanline) * width * 3);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> out(buffer, buffer + size);
  free(buffer);
  return out;
}

struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel, top row first
};

// The decoder's default settings; libjpeg ends the process on a broken file, so only give it
// files the test made. Decoding into the same record again reuses its pixel memory.
inline void DecodeInto(const std::vector<uint8_t>& jpeg, Decoded* out) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr error{};
  d.err = jpeg_std_error(&error);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, const_cast<unsigned char*>(jpeg.data()),
               static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&d, TRUE);
  d.out_color_space = JCS_RGB;
  jpeg_start_decompress(&d);
  out->width = static_cast<int>(d.output_width);
  out->height = static_cast<int>(d.output_height);
  out->rgb.resize(static_cast<size_t>(out->width) * out->height * 3);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = out->rgb.data() + static_cast<size_t>(d.output_scanline) * out->width * 3;
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
}

inline Decoded Decode(const std::vector<uint8_t>& jpeg) {
  Decoded out;
  DecodeInto(jpeg, &out);
  return out;
}

}  // namespace testing_jpeg
