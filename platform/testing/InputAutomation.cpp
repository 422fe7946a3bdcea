#include "platform/testing/InputAutomation.h"

#include <png.h>

#include <cstring>
#include <optional>

#include "platform/gdi/DeviceContext.h"
#include "platform/kernel/CodePage.h"

namespace platform::testing {

namespace {

struct KeyCode {
  int scan;
  bool extended;
};

// Set-1 scan codes of a standard keyboard, for realistic key message lParams.
KeyCode ScanCodeOf(int vk) {
  static constexpr char kLetters[] = "QWERTYUIOPASDFGHJKLZXCVBNM";
  static constexpr int kLetterScans[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
                                         0x19, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
                                         0x26, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
  if (vk >= 'A' && vk <= 'Z') {
    for (int i = 0; i < 26; ++i) {
      if (kLetters[i] == vk) return {kLetterScans[i], false};
    }
  }
  if (vk >= '1' && vk <= '9') return {0x02 + (vk - '1'), false};
  if (vk == '0') return {0x0B, false};
  if (vk >= VK_F1 && vk <= VK_F10) return {0x3B + (vk - VK_F1), false};
  switch (vk) {
    case VK_ESCAPE:
      return {0x01, false};
    case VK_BACK:
      return {0x0E, false};
    case VK_TAB:
      return {0x0F, false};
    case VK_RETURN:
      return {0x1C, false};
    case VK_SPACE:
      return {0x39, false};
    case VK_SHIFT:
    case VK_LSHIFT:
      return {0x2A, false};
    case VK_RSHIFT:
      return {0x36, false};
    case VK_CONTROL:
    case VK_LCONTROL:
      return {0x1D, false};
    case VK_RCONTROL:
      return {0x1D, true};
    case VK_MENU:
    case VK_LMENU:
      return {0x38, false};
    case VK_RMENU:
      return {0x38, true};
    case VK_CAPITAL:
      return {0x3A, false};
    case 0x7A:
      return {0x57, false};  // F11
    case VK_F12:
      return {0x58, false};
    case VK_UP:
      return {0x48, true};
    case VK_DOWN:
      return {0x50, true};
    case VK_LEFT:
      return {0x4B, true};
    case VK_RIGHT:
      return {0x4D, true};
    case VK_HOME:
      return {0x47, true};
    case VK_END:
      return {0x4F, true};
    case VK_PRIOR:
      return {0x49, true};
    case VK_NEXT:
      return {0x51, true};
    case VK_INSERT:
      return {0x52, true};
    case VK_DELETE:
      return {0x53, true};
    default:
      return {0, false};
  }
}

Image ImageOfSurface(const gdi::Surface& surface) {
  Image image;
  image.width = surface.width();
  image.height = surface.height();
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(&image.pixels[static_cast<size_t>(y) * image.width], surface.Row(y),
                static_cast<size_t>(image.width) * 4);
  }
  for (uint32_t& p : image.pixels) p &= 0x00FFFFFF;
  return image;
}

}  // namespace

void MouseMove(POINT screen) {
  platform::user::InputMouseMove(screen);
}
void MouseDown(POINT screen, MouseButton button) {
  platform::user::InputMouseButton(button, true, screen);
}
void MouseUp(POINT screen, MouseButton button) {
  platform::user::InputMouseButton(button, false, screen);
}

void ClickAt(POINT screen, MouseButton button) {
  MouseMove(screen);
  MouseDown(screen, button);
  MouseUp(screen, button);
}

bool ClickInWindow(HWND window, POINT client, MouseButton button) {
  if (!IsWindow(window)) return false;
  POINT screen = client;
  if (!ClientToScreen(window, &screen)) return false;
  ClickAt(screen, button);
  return true;
}

void DoubleClick(POINT screen, MouseButton button) {
  ClickAt(screen, button);
  MouseDown(screen, button);
  MouseUp(screen, button);
}

void Wheel(POINT screen, int delta) {
  platform::user::InputMouseWheel(delta, screen);
}

void KeyDown(int virtualKey) {
  KeyCode code = ScanCodeOf(virtualKey);
  platform::user::InputKey(virtualKey, true, code.scan, code.extended);
}

void KeyUp(int virtualKey) {
  KeyCode code = ScanCodeOf(virtualKey);
  platform::user::InputKey(virtualKey, false, code.scan, code.extended);
}

void PressKey(int virtualKey) {
  KeyDown(virtualKey);
  KeyUp(virtualKey);
}

bool TypeUtf8(const std::string& utf8) {
  std::optional<std::string> gbk = platform::kernel::Utf8ToGbk(utf8, true);
  if (!gbk) return false;
  TypeGbk(*gbk);
  return true;
}

void TypeGbk(const std::string& gbk) {
  platform::user::InputText(gbk);
}

Image CaptureWindow(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return {};
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  Image image;
  if (bitmap != nullptr && bits != nullptr) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    if (PrintWindow(window, dc, 0)) {
      image.width = width;
      image.height = height;
      const auto* source = static_cast<const uint32_t*>(bits);
      image.pixels.assign(source, source + static_cast<size_t>(width) * height);
      for (uint32_t& p : image.pixels) p &= 0x00FFFFFF;
    }
    SelectObject(dc, old);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(dc);
  return image;
}

Image CaptureScreen() {
  HDC screen = GetDC(nullptr);
  Image image;
  if (auto dc = gdi::LookupDC(screen); dc && dc->surface) image = ImageOfSurface(*dc->surface);
  ReleaseDC(nullptr, screen);
  return image;
}

bool WritePng(const Image& image, const std::string& path) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * image.height) {
    return false;
  }
  std::vector<uint8_t> rgb(image.pixels.size() * 3);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    rgb[i * 3] = static_cast<uint8_t>(image.pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<uint8_t>(image.pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<uint8_t>(image.pixels[i]);
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  const bool ok =
      png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), image.width * 3, nullptr) != 0;
  png_image_free(&png);
  return ok;
}

}  // namespace platform::testing
