// Driving menu loops from tests: the loop tells its owner when it has nothing to do
// (WM_ENTERIDLE), and a script answers with the next bit of input.
#pragma once

#include <functional>
#include <vector>

#include "platform/testing/InputAutomation.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace menu_test {

using Step = std::function<void(HWND popup)>;

struct MenuScript {
  std::vector<Step> steps;
  size_t next = 0;
  int idleAfterEnd = 0;        // idle calls once the script ran out (the loop should have ended)
  std::vector<UINT> commands;  // LOWORD of WM_COMMAND, in order
  std::vector<WORD> commandSources;  // HIWORD: 0 menu, 1 accelerator
  std::vector<HMENU> initPopups;     // WM_INITMENUPOPUP in order
  std::vector<UINT> order;           // the menu messages as they came

  // Installs the script as the window's handler. A script that runs out presses Esc until
  // the loop ends, so a test that went wrong fails instead of hanging.
  void Attach(HWND window, std::function<void(HWND, UINT, WPARAM, LPARAM)> also = nullptr) {
    window_test::Record().handlers[window] = [this, also](HWND w, UINT m, WPARAM wp,
                                                          LPARAM lp) -> std::optional<LRESULT> {
      if (also) also(w, m, wp, lp);
      switch (m) {
        case WM_ENTERIDLE:
          if (wp != MSGF_MENU) break;
          if (next < steps.size()) {
            steps[next++](reinterpret_cast<HWND>(lp));
          } else {
            ++idleAfterEnd;
            platform::testing::PressKey(VK_ESCAPE);
          }
          return 0;
        case WM_COMMAND:
          commands.push_back(LOWORD(wp));
          commandSources.push_back(HIWORD(wp));
          return 0;
        case WM_INITMENUPOPUP:
          initPopups.push_back(reinterpret_cast<HMENU>(wp));
          order.push_back(m);
          break;
        case WM_ENTERMENULOOP:
        case WM_EXITMENULOOP:
        case WM_INITMENU:
          order.push_back(m);
          break;
        default:
          break;
      }
      return std::nullopt;
    };
  }
};

// The middle of the `index`th item of an open popup whose items are all 20 high, or
// `separators` of them (8 high) come before it.
inline POINT PopupItem(HWND popup, int index, int separatorsBefore = 0) {
  RECT r{};
  GetWindowRect(popup, &r);
  return {r.left + 40, r.top + 3 + (index - separatorsBefore) * 20 + separatorsBefore * 8 + 10};
}

}  // namespace menu_test
