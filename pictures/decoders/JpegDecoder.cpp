#include "pictures/decoders/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <utility>
#include <vector>

// jpeglib.h uses FILE without including <stdio.h> itself, so it must come after <cstdio>.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "runtime/memory/RuntimeHeap.h"

namespace pic {
namespace {

struct ErrorExit {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorExit*>(cinfo->err)->jump, 1);
}

// Warnings (a truncated stream, say) are not worth a line on stderr.
void Quiet(j_common_ptr) {}

// The whole picture is already in memory, so the source hands it over at once. Running
// out means a truncated stream: an end-of-image marker lets libjpeg finish with what it has
// (grey for the missing part), as its own memory source does.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
  WARNMS(cinfo, JWRN_JPEG_EOF);
  cinfo->src->next_input_byte = kEndOfImage;
  cinfo->src->bytes_in_buffer = 2;
  return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  while (static_cast<size_t>(count) > src->bytes_in_buffer) {
    count -= static_cast<long>(src->bytes_in_buffer);
    (void)src->fill_input_buffer(cinfo);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// Whether `length` bytes could hold the coded picture at all. Every 8x8 block of every
// component is coded, and with Huffman coding each costs whole bits: a sequential scan sends
// at least a DC code and an AC code (an end-of-block, at the least) per block, at least one
// bit each, and a progressive file's first DC scan of a component sends at least one bit per
// block (its later scans may cover thousands of blocks with one end-of-band run, so only the
// DC scan counts). A file shorter than that lacks most of its picture, and libjpeg would only
// paint the missing blocks grey -- at whatever size the header claims.
//
// Arithmetic coding has no such floor: a run of predictable decisions costs a tiny fraction
// of a bit each, so a few bytes can truly hold a huge flat picture. Those files are left to
// the block and pixel limits.
bool DataCanHold(const jpeg_decompress_struct& cinfo, size_t length) {
  if (cinfo.arith_code) return true;
  uint64_t blocks = 0;
  for (int c = 0; c < cinfo.num_components; ++c) {
    const jpeg_component_info& comp = cinfo.comp_info[c];
    blocks += uint64_t{comp.width_in_blocks} * comp.height_in_blocks;
  }
  const uint64_t bitsPerBlock = cinfo.progressive_mode ? 1 : 2;
  return blocks * bitsPerBlock <= uint64_t{length} * 8;
}

// CMYK rows to B,G,R. Adobe's files store the inks inverted (and libjpeg turns YCCK into
// that same inverted CMYK), so there a full-strength sample is 0; elsewhere it is 255.
void CmykToBgr(const JSAMPLE* in, uint8_t* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
    unsigned c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[0] = static_cast<uint8_t>((y * k + 127) / 255);
    out[1] = static_cast<uint8_t>((m * k + 127) / 255);
    out[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

// Everything that must survive a longjmp lives here, outside the set-jump frame's locals.
struct Decode {
  jpeg_decompress_struct cinfo{};
  ErrorExit error{};
  jpeg_source_mgr source{};
  // Written between set-jump and a possible long-jump, read afterwards.
  uint8_t* volatile block = nullptr;
  volatile bool created = false;
  std::vector<JSAMPLE> cmykRow;
  int32_t width = 0;
  int32_t height = 0;
  int32_t blockBytes = 0;
};

bool Run(Decode& d, const uint8_t* bytes, size_t length, size_t maxBlockBytes, uint64_t maxPixels) {
  jpeg_decompress_struct& cinfo = d.cinfo;
  cinfo.err = jpeg_std_error(&d.error.base);
  d.error.base.error_exit = JumpBack;
  d.error.base.output_message = Quiet;
  if (setjmp(d.error.jump) != 0) return false;

  jpeg_CreateDecompress(&cinfo, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
  d.created = true;
  d.source.init_source = InitSource;
  d.source.fill_input_buffer = FillInput;
  d.source.skip_input_data = SkipInput;
  d.source.resync_to_restart = jpeg_resync_to_restart;
  d.source.term_source = TermSource;
  d.source.next_input_byte = bytes;
  d.source.bytes_in_buffer = length;
  cinfo.src = &d.source;

  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  if (cmyk) {
    cinfo.out_color_space = JCS_CMYK;
  } else if (cinfo.num_components == 1 || cinfo.num_components == 3) {
#ifdef JCS_EXTENSIONS
    // libjpeg writes B,G,R itself (expanding greyscale too), saving a pass over the picture.
    cinfo.out_color_space = JCS_EXT_BGR;
#else
    cinfo.out_color_space = JCS_RGB;
#endif
  } else {
    return false;  // two-component and other oddities have no colour meaning we know
  }

  // The size is known before any large allocation inside libjpeg.
  jpeg_calc_output_dimensions(&cinfo);
  const uint64_t width = cinfo.output_width;
  const uint64_t height = cinfo.output_height;
  if (width == 0 || height == 0) return false;
  const uint64_t rowBytes = width * 3;
  if (rowBytes > maxBlockBytes || height > maxBlockBytes / rowBytes) return false;
  if (width > maxPixels / height || !DataCanHold(cinfo, length)) return false;

  jpeg_start_decompress(&cinfo);
  const size_t blockBytes = static_cast<size_t>(rowBytes * height);
  uint8_t* const block =
      static_cast<uint8_t*>(rt::AllocMemUnchecked(static_cast<int32_t>(blockBytes)));
  if (block == nullptr) return false;
  d.block = block;
  if (cmyk) d.cmykRow.resize(static_cast<size_t>(width) * 4);

  // Rows go straight to their bottom-up place, so no second picture-sized buffer exists.
  const bool inverted = cinfo.saw_Adobe_marker != 0;
  JSAMPROW rows[8];
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION first = cinfo.output_scanline;
    if (cmyk) {
      rows[0] = d.cmykRow.data();
      if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) return false;
      CmykToBgr(d.cmykRow.data(), block + (height - 1 - first) * rowBytes, cinfo.output_width,
                inverted);
      continue;
    }
    JDIMENSION n = 0;
    for (; n < 8 && first + n < cinfo.output_height; ++n) {
      rows[n] = block + (height - 1 - (first + n)) * rowBytes;
    }
    const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, n);
    if (got == 0) return false;
#ifndef JCS_EXTENSIONS
    for (JDIMENSION i = 0; i < got; ++i) {
      for (uint8_t* p = rows[i]; p < rows[i] + rowBytes; p += 3) std::swap(p[0], p[2]);
    }
#endif
  }
  jpeg_finish_decompress(&cinfo);
  d.width = static_cast<int32_t>(width);
  d.height = static_cast<int32_t>(height);
  d.blockBytes = static_cast<int32_t>(blockBytes);
  return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* bytes, size_t length, DecodedPicture* out, size_t maxBlockBytes,
                uint64_t maxPixels) {
  if (bytes == nullptr || length == 0 || out == nullptr) return false;
  Decode d;
  const bool ok = Run(d, bytes, length, maxBlockBytes, maxPixels);
  if (d.created) jpeg_destroy_decompress(&d.cinfo);
  if (!ok) {
    rt::FreeMem(d.block);
    return false;
  }
  out->kind = kPictureJpeg;
  out->width = d.width;
  out->height = d.height;
  out->icon = nullptr;
  out->pixels = d.block;
  out->size = d.blockBytes;
  return true;
}

}  // namespace pic
