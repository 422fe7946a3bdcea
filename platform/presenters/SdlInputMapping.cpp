#include "platform/presenters/SdlInputMapping.h"

#include <cmath>

#include "platform/kernel/CodePage.h"

namespace platform::user {
namespace {

constexpr int VK_OEM_102 = 0xE2;  // the extra key beside left Shift on ISO keyboards

KeyTranslation Key(int vk, int scan, bool extended = false) {
  return {vk, scan, extended};
}

bool IsKeypad(SDL_Scancode s) {
  return s >= SDL_SCANCODE_KP_DIVIDE && s <= SDL_SCANCODE_KP_PERIOD;
}

// Keypad digits and the decimal key: what Num Lock off makes of them.
KeyTranslation KeypadKey(SDL_Scancode s, bool numLock) {
  struct Pad {
    int digitVk;
    int navigationVk;
    int scan;
  };
  static constexpr Pad kDigits[] = {
      {VK_NUMPAD0 + 1, VK_END, 0x4F},   {VK_NUMPAD0 + 2, VK_DOWN, 0x50},
      {VK_NUMPAD0 + 3, VK_NEXT, 0x51},  {VK_NUMPAD0 + 4, VK_LEFT, 0x4B},
      {VK_NUMPAD0 + 5, VK_CLEAR, 0x4C}, {VK_NUMPAD0 + 6, VK_RIGHT, 0x4D},
      {VK_NUMPAD0 + 7, VK_HOME, 0x47},  {VK_NUMPAD0 + 8, VK_UP, 0x48},
      {VK_NUMPAD0 + 9, VK_PRIOR, 0x49}, {VK_NUMPAD0, VK_INSERT, 0x52},
      {VK_DECIMAL, VK_DELETE, 0x53},
  };
  switch (s) {
    case SDL_SCANCODE_KP_DIVIDE:
      return Key(VK_DIVIDE, 0x35, true);
    case SDL_SCANCODE_KP_MULTIPLY:
      return Key(VK_MULTIPLY, 0x37);
    case SDL_SCANCODE_KP_MINUS:
      return Key(VK_SUBTRACT, 0x4A);
    case SDL_SCANCODE_KP_PLUS:
      return Key(VK_ADD, 0x4E);
    case SDL_SCANCODE_KP_ENTER:
      return Key(VK_RETURN, 0x1C, true);
    default:
      break;
  }
  const int index = s - SDL_SCANCODE_KP_1;  // KP_1..KP_9, KP_0, KP_PERIOD are consecutive
  if (index < 0 || index >= static_cast<int>(std::size(kDigits))) return {};
  const Pad& pad = kDigits[index];
  return Key(numLock ? pad.digitVk : pad.navigationVk, pad.scan);
}

// The virtual key of a character key on the current layout, 0 when it has none of its own.
int VirtualKeyOfCharacter(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  switch (key) {
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_SEMICOLON:
      return VK_OEM_1;
    case SDLK_EQUALS:
      return VK_OEM_PLUS;
    case SDLK_COMMA:
      return VK_OEM_COMMA;
    case SDLK_MINUS:
      return VK_OEM_MINUS;
    case SDLK_PERIOD:
      return VK_OEM_PERIOD;
    case SDLK_SLASH:
      return VK_OEM_2;
    case SDLK_BACKQUOTE:
      return VK_OEM_3;
    case SDLK_LEFTBRACKET:
      return VK_OEM_4;
    case SDLK_BACKSLASH:
      return VK_OEM_5;
    case SDLK_RIGHTBRACKET:
      return VK_OEM_6;
    case SDLK_QUOTE:
      return VK_OEM_7;
    default:
      return 0;
  }
}

}  // namespace

KeyTranslation ScanCodeOf(SDL_Scancode s) {
  // Letters in alphabetical order on a US keyboard.
  static constexpr uint8_t kLetterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                               0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                               0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) {
    const int i = s - SDL_SCANCODE_A;
    return Key('A' + i, kLetterScans[i]);
  }
  if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_0) {
    const int i = s - SDL_SCANCODE_1;  // 1..9 then 0
    return Key(i == 9 ? '0' : '1' + i, 0x02 + i);
  }
  if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F10) {
    const int i = s - SDL_SCANCODE_F1;
    return Key(VK_F1 + i, 0x3B + i);
  }
  if (s >= SDL_SCANCODE_F13 && s <= SDL_SCANCODE_F24) {
    const int i = s - SDL_SCANCODE_F13;
    return Key(VK_F1 + 12 + i, i == 11 ? 0x76 : 0x64 + i);
  }
  if (IsKeypad(s)) return KeypadKey(s, true);
  switch (s) {
    case SDL_SCANCODE_RETURN:
      return Key(VK_RETURN, 0x1C);
    case SDL_SCANCODE_ESCAPE:
      return Key(VK_ESCAPE, 0x01);
    case SDL_SCANCODE_BACKSPACE:
      return Key(VK_BACK, 0x0E);
    case SDL_SCANCODE_TAB:
      return Key(VK_TAB, 0x0F);
    case SDL_SCANCODE_SPACE:
      return Key(VK_SPACE, 0x39);
    case SDL_SCANCODE_MINUS:
      return Key(VK_OEM_MINUS, 0x0C);
    case SDL_SCANCODE_EQUALS:
      return Key(VK_OEM_PLUS, 0x0D);
    case SDL_SCANCODE_LEFTBRACKET:
      return Key(VK_OEM_4, 0x1A);
    case SDL_SCANCODE_RIGHTBRACKET:
      return Key(VK_OEM_6, 0x1B);
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH:
      return Key(VK_OEM_5, 0x2B);
    case SDL_SCANCODE_SEMICOLON:
      return Key(VK_OEM_1, 0x27);
    case SDL_SCANCODE_APOSTROPHE:
      return Key(VK_OEM_7, 0x28);
    case SDL_SCANCODE_GRAVE:
      return Key(VK_OEM_3, 0x29);
    case SDL_SCANCODE_COMMA:
      return Key(VK_OEM_COMMA, 0x33);
    case SDL_SCANCODE_PERIOD:
      return Key(VK_OEM_PERIOD, 0x34);
    case SDL_SCANCODE_SLASH:
      return Key(VK_OEM_2, 0x35);
    case SDL_SCANCODE_NONUSBACKSLASH:
      return Key(VK_OEM_102, 0x56);
    case SDL_SCANCODE_CAPSLOCK:
      return Key(VK_CAPITAL, 0x3A);
    case SDL_SCANCODE_F11:
      return Key(VK_F1 + 10, 0x57);
    case SDL_SCANCODE_F12:
      return Key(VK_F12, 0x58);
    case SDL_SCANCODE_PRINTSCREEN:
      return Key(VK_SNAPSHOT, 0x37, true);
    case SDL_SCANCODE_SCROLLLOCK:
      return Key(VK_SCROLL, 0x46);
    case SDL_SCANCODE_PAUSE:
      return Key(VK_PAUSE, 0x45);
    case SDL_SCANCODE_INSERT:
      return Key(VK_INSERT, 0x52, true);
    case SDL_SCANCODE_HOME:
      return Key(VK_HOME, 0x47, true);
    case SDL_SCANCODE_PAGEUP:
      return Key(VK_PRIOR, 0x49, true);
    case SDL_SCANCODE_DELETE:
      return Key(VK_DELETE, 0x53, true);
    case SDL_SCANCODE_END:
      return Key(VK_END, 0x4F, true);
    case SDL_SCANCODE_PAGEDOWN:
      return Key(VK_NEXT, 0x51, true);
    case SDL_SCANCODE_RIGHT:
      return Key(VK_RIGHT, 0x4D, true);
    case SDL_SCANCODE_LEFT:
      return Key(VK_LEFT, 0x4B, true);
    case SDL_SCANCODE_DOWN:
      return Key(VK_DOWN, 0x50, true);
    case SDL_SCANCODE_UP:
      return Key(VK_UP, 0x48, true);
    // Num Lock shares its make code with Pause and is told apart by the extended bit.
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return Key(VK_NUMLOCK, 0x45, true);
    case SDL_SCANCODE_APPLICATION:
      return Key(VK_APPS, 0x5D, true);
    case SDL_SCANCODE_LCTRL:
      return Key(VK_CONTROL, 0x1D);
    case SDL_SCANCODE_RCTRL:
      return Key(VK_CONTROL, 0x1D, true);
    case SDL_SCANCODE_LSHIFT:
      return Key(VK_SHIFT, 0x2A);
    case SDL_SCANCODE_RSHIFT:
      return Key(VK_SHIFT, 0x36);
    case SDL_SCANCODE_LALT:
      return Key(VK_MENU, 0x38);
    case SDL_SCANCODE_RALT:
      return Key(VK_MENU, 0x38, true);
    case SDL_SCANCODE_LGUI:
      return Key(VK_LWIN, 0x5B, true);
    case SDL_SCANCODE_RGUI:
      return Key(VK_RWIN, 0x5C, true);
    default:
      return {};
  }
}

KeyTranslation TranslateSdlKey(SDL_Keycode key, SDL_Scancode scancode, bool numLock) {
  if (IsKeypad(scancode)) return KeypadKey(scancode, numLock);
  KeyTranslation position = ScanCodeOf(scancode);
  // Keycodes without the scancode mask are the characters the layout puts on the key.
  if ((key & SDLK_SCANCODE_MASK) == 0) {
    if (int vk = VirtualKeyOfCharacter(key); vk != 0) position.virtualKey = vk;
  }
  return position;
}

SDL_HitTestResult DesktopHitTest(LRESULT hit, bool resizable) {
  if (hit == HTCAPTION) return SDL_HITTEST_DRAGGABLE;
  if (!resizable) return SDL_HITTEST_NORMAL;
  switch (hit) {
    case HTLEFT:
      return SDL_HITTEST_RESIZE_LEFT;
    case HTRIGHT:
      return SDL_HITTEST_RESIZE_RIGHT;
    case HTTOP:
      return SDL_HITTEST_RESIZE_TOP;
    case HTBOTTOM:
      return SDL_HITTEST_RESIZE_BOTTOM;
    case HTTOPLEFT:
      return SDL_HITTEST_RESIZE_TOPLEFT;
    case HTTOPRIGHT:
      return SDL_HITTEST_RESIZE_TOPRIGHT;
    case HTBOTTOMLEFT:
      return SDL_HITTEST_RESIZE_BOTTOMLEFT;
    case HTBOTTOMRIGHT:
      return SDL_HITTEST_RESIZE_BOTTOMRIGHT;
    default:
      return SDL_HITTEST_NORMAL;
  }
}

std::optional<SDL_SystemCursor> SystemCursorFor(uintptr_t id) {
  constexpr uintptr_t kAppStarting = 32650;
  switch (id) {
    case 32512:  // IDC_ARROW
    case 32516:  // IDC_UPARROW
    case 32651:  // IDC_HELP
      return SDL_SYSTEM_CURSOR_ARROW;
    case 32513:
      return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514:
      return SDL_SYSTEM_CURSOR_WAIT;
    case 32515:
      return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32642:
      return SDL_SYSTEM_CURSOR_SIZENWSE;
    case 32643:
      return SDL_SYSTEM_CURSOR_SIZENESW;
    case 32644:
      return SDL_SYSTEM_CURSOR_SIZEWE;
    case 32645:
      return SDL_SYSTEM_CURSOR_SIZENS;
    case 32646:
      return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32648:
      return SDL_SYSTEM_CURSOR_NO;
    case 32649:
      return SDL_SYSTEM_CURSOR_HAND;
    case kAppStarting:
      return SDL_SYSTEM_CURSOR_WAITARROW;
    default:
      return std::nullopt;
  }
}

std::string TypedTextDecoder::Feed(std::string_view utf8) {
  std::string data = pending_;
  data.append(utf8);
  pending_.clear();
  // Keep back a lead byte whose continuation bytes have not all arrived yet.
  const size_t n = data.size();
  for (size_t back = 1; back <= 3 && back <= n; ++back) {
    const auto c = static_cast<unsigned char>(data[n - back]);
    if ((c & 0xC0) == 0x80) continue;
    size_t need = 1;
    if (c >= 0xC2 && c <= 0xDF) need = 2;
    if (c >= 0xE0 && c <= 0xEF) need = 3;
    if (c >= 0xF0 && c <= 0xF4) need = 4;
    if (back < need) {
      pending_ = data.substr(n - back);
      data.resize(n - back);
    }
    break;
  }
  std::u16string wide;
  kernel::DecodeUtf8(data, false, wide);
  std::u16string printable;
  printable.reserve(wide.size());
  for (char16_t c : wide) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) continue;
    printable.push_back(c);
  }
  std::string gbk;
  kernel::EncodeGbk(printable, false, "?", nullptr, gbk);
  return gbk;
}

int WheelAccumulator::Add(float notches) {
  if (!std::isfinite(notches)) return 0;
  carried_ += static_cast<double>(notches) * WHEEL_DELTA;
  // A runaway device must not overflow the delta; one message carries at most this much.
  constexpr double kLimit = 32000;
  if (carried_ > kLimit) carried_ = kLimit;
  if (carried_ < -kLimit) carried_ = -kLimit;
  const int whole = static_cast<int>(carried_);
  carried_ -= whole;
  return whole;
}

}  // namespace platform::user
