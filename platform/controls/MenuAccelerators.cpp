// Keyboard accelerator tables: key combinations that become WM_COMMAND messages before the
// keys reach the focused window.
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/controls/MenuModel.h"
#include "platform/kernel32.h"

namespace platform::controls {

namespace {

constexpr uintptr_t kFirstTableHandle = 0x05000000;
constexpr uintptr_t kTableHandleStep = 4;
constexpr uintptr_t kLastTableHandle = 0x05FFFFFC;
// A table larger than this is a mistake, not a keyboard layout.
constexpr int kMaxEntries = 32767;
constexpr BYTE kKnownFlags = FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT;

struct Tables {
  std::mutex mutex;
  std::map<uintptr_t, std::shared_ptr<const std::vector<ACCEL>>> tables;
  uintptr_t next = kFirstTableHandle;
};

Tables& AllTables() {
  static auto* tables = new Tables();
  return *tables;
}

std::shared_ptr<const std::vector<ACCEL>> Lookup(HACCEL table) {
  Tables& t = AllTables();
  std::lock_guard lock(t.mutex);
  auto it = t.tables.find(reinterpret_cast<uintptr_t>(table));
  return it == t.tables.end() ? nullptr : it->second;
}

bool Down(int vk) {
  return (GetKeyState(vk) & 0x8000) != 0;
}

bool Matches(const ACCEL& entry, const MSG& msg) {
  // The key message itself says whether Alt was down when it was made.
  const bool shift = Down(VK_SHIFT), ctrl = Down(VK_CONTROL),
             alt = (msg.lParam & KF_ALTDOWN_BIT) != 0;
  if ((entry.fVirt & FVIRTKEY) != 0) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (static_cast<WPARAM>(entry.key) != msg.wParam) return false;
    return shift == ((entry.fVirt & FSHIFT) != 0) && ctrl == ((entry.fVirt & FCONTROL) != 0) &&
           alt == ((entry.fVirt & FALT) != 0);
  }
  // Character entries match the character a key press produced; Alt decides between the
  // plain and the system character.
  if (msg.message != WM_CHAR && msg.message != WM_SYSCHAR) return false;
  if (static_cast<WPARAM>(entry.key) != msg.wParam) return false;
  return ((entry.fVirt & FALT) != 0) == (msg.message == WM_SYSCHAR);
}

}  // namespace

}  // namespace platform::controls

using namespace platform::controls;

HACCEL CreateAcceleratorTableA(LPACCEL entries, int count) {
  if (entries == nullptr || count <= 0 || count > kMaxEntries) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto table = std::make_shared<std::vector<ACCEL>>(entries, entries + count);
  for (ACCEL& entry : *table) entry.fVirt &= kKnownFlags;
  Tables& t = AllTables();
  std::lock_guard lock(t.mutex);
  for (uintptr_t tries = 0; tries <= (kLastTableHandle - kFirstTableHandle) / kTableHandleStep;
       ++tries) {
    uintptr_t h = t.next;
    t.next = t.next >= kLastTableHandle ? kFirstTableHandle : t.next + kTableHandleStep;
    if (t.tables.count(h) != 0) continue;
    t.tables.emplace(h, std::move(table));
    return reinterpret_cast<HACCEL>(h);
  }
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

BOOL DestroyAcceleratorTable(HACCEL table) {
  Tables& t = AllTables();
  std::lock_guard lock(t.mutex);
  return t.tables.erase(reinterpret_cast<uintptr_t>(table)) != 0 ? TRUE : FALSE;
}

int CopyAcceleratorTableA(HACCEL table, LPACCEL entries, int count) {
  auto accel = Lookup(table);
  if (accel == nullptr) return 0;
  const int size = static_cast<int>(accel->size());
  if (entries == nullptr) return size;
  const int n = std::min(size, std::max(0, count));
  for (int i = 0; i < n; ++i) entries[i] = (*accel)[static_cast<size_t>(i)];
  return n;
}

int TranslateAcceleratorA(HWND window, HACCEL table, LPMSG msg) {
  if (msg == nullptr || !IsWindow(window)) return 0;
  auto accel = Lookup(table);
  if (accel == nullptr) return 0;
  for (const ACCEL& entry : *accel) {
    if (!Matches(entry, *msg)) continue;
    // A command whose menu item is disabled is not sent; the key is still consumed so it
    // does not reach the focused window as typing.
    HMENU menu = GetMenu(window);
    MenuItemData item;
    if (menu != nullptr && FindItemById(menu, entry.cmd, &item) && item.Disabled()) return 1;
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
    return 1;
  }
  return 0;
}
