// The skin the program wears: the skinning library is put beside the program on first start
// and given one of the skin blocks the program carries.
#pragma once

#include <cstdint>

namespace app::home {

inline constexpr char kSkinLibraryName[] = "SkinH_EL.dll";
inline constexpr int32_t kDefaultSkin = 6;

// Writes the carried library image into the run directory and makes it hidden, unless a
// file of that name is already there (then it is left exactly as it is).
void InstallSkinLibrary();

// A fresh byte set holding skin `number` (1-based); null for a number without a skin.
void* SkinBlock(int32_t number);

// Installs the library if needed and attaches skin `number`. When the library is not
// there or does not load (a folder that refused the file, a damaged file) the windows keep
// their own look and the program goes on. True when the skin was attached.
bool AttachSkin(int32_t number);

}  // namespace app::home
