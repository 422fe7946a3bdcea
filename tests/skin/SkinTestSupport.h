// The skinning library and the made skins, as the skin tests load them: the library from
// its file through LoadLibraryA, the blocks from the folder the skin maker wrote.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/kernel32.h"

namespace skin_test {

using AttachFn = int (*)(const void*, int, const char*, int, int, int);

constexpr int kMadeSkins = 33;

inline std::vector<uint8_t> SkinBlock(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "/%02d.skin", number);
  std::ifstream in(std::string(VELMORA_SKIN_DIR) + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// SkinH_AttachRes of the built library; null when it cannot be loaded.
inline AttachFn LoadAttach() {
  HMODULE library = LoadLibraryA(VELMORA_SKIN_LIBRARY);
  if (library == nullptr) return nullptr;
  return reinterpret_cast<AttachFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "SkinH_AttachRes")));
}

}  // namespace skin_test
