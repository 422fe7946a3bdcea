// The skin library's image and the skin blocks the program carries (generated at build time
// from the built library and the made skins).
#pragma once

#include <cstddef>
#include <cstdint>

namespace app::home {

struct EmbeddedBlock {
  const uint8_t* data;
  size_t size;
};

inline constexpr int32_t kSkinCount = 33;

extern const EmbeddedBlock kSkinLibraryImage;
// Skin n (1-based) is kSkinBlocks[n - 1].
extern const EmbeddedBlock kSkinBlocks[kSkinCount];

}  // namespace app::home
