// The library's one entry: take a skin block, read it, and install its look for every
// window of the process through the theme interface that User32 publishes.
#include <deque>
#include <mutex>

#include "platform/kernel32.h"
#include "skin/SkinFormat.h"
#include "skin/SkinPainter.h"

namespace {

// Installed skins stay alive for the whole run: a paint already under way on another
// thread may still hold the previous skin as its context when a new one is attached.
std::mutex g_lock;
std::deque<skin::Skin>& Attached() {
  static auto* skins = new std::deque<skin::Skin>();
  return *skins;
}

VelmoraInstallThemeFn FindInstaller() {
  HMODULE user = LoadLibraryA("user32");
  if (user == nullptr) return nullptr;
  return reinterpret_cast<VelmoraInstallThemeFn>(
      reinterpret_cast<void*>(GetProcAddress(user, "VelmoraInstallTheme")));
}

}  // namespace

// Returns 1 when the skin is installed; 0 for a damaged block (the current look stays).
// The name and the three numbers are accepted for callers that pass them and not used.
extern "C" __attribute__((visibility("default"))) int SkinH_AttachRes(const void* data, int length,
                                                                      const char*, int, int, int) {
  if (data == nullptr || length <= 0) return 0;
  std::optional<skin::Skin> decoded =
      skin::DecodeSkin(static_cast<const uint8_t*>(data), static_cast<size_t>(length));
  if (!decoded) return 0;
  VelmoraInstallThemeFn install = FindInstaller();
  if (install == nullptr) return 0;

  std::lock_guard lock(g_lock);
  skin::Skin& kept = Attached().emplace_back(std::move(*decoded));
  VelmoraTheme theme{};
  theme.size = sizeof(theme);
  theme.version = VELMORA_THEME_VERSION;
  theme.sysColors = kept.palette.data();
  theme.sysColorCount = static_cast<int32_t>(kept.palette.size());
  theme.metrics = &kept.metrics;
  theme.paint = skin::PaintSkinPart;
  theme.context = &kept;
  if (install(&theme) == FALSE) {
    Attached().pop_back();
    return 0;
  }
  return 1;
}
