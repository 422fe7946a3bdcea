// Skin blocks from untrusted bytes: whatever the bytes, the reader stays inside them, and
// whatever it accepts can be written again and reads back the same. Half of the inputs get
// a correct checksum first, or the fuzzer would seldom get past it.
//
// Seeds, kept outside the repository: mkdir -p /tmp/seeds-skin && cp build/skins/*.skin
// /tmp/seeds-skin/
#include <cstdint>
#include <cstring>
#include <vector>

#include "skin/SkinFormat.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> block(data, data + size);
  if (size > 0 && (data[size - 1] & 1) != 0) skin::SealSkin(block.data(), block.size());
  auto decoded = skin::DecodeSkin(block.data(), block.size());
  if (!decoded) return 0;
  Check(!decoded->name.empty() && decoded->name.size() <= skin::kMaxNameLength);
  Check(!decoded->palette.empty() && decoded->palette.size() <= skin::kMaxPaletteColors);
  Check(decoded->metrics.fixedBorder == 6 && decoded->metrics.captionHeight == 24);
  const std::vector<uint8_t> again = skin::EncodeSkin(*decoded);
  auto back = skin::DecodeSkin(again.data(), again.size());
  Check(back.has_value());
  Check(back->name == decoded->name && back->palette == decoded->palette);
  Check(std::memcmp(back->style.colors, decoded->style.colors, sizeof back->style.colors) == 0);
  return 0;
}
