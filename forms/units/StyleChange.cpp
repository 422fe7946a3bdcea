#include "forms/units/StyleChange.h"

namespace forms {

void ApplyManagedStyles(HWND window, const ManagedStyles& s) {
  auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  SetWindowLongPtrA(window, GWL_STYLE, static_cast<LONG_PTR>((style & ~s.managed) | s.style));
  SetWindowLongPtrA(window, GWL_EXSTYLE,
                    static_cast<LONG_PTR>((exStyle & ~s.managedEx) | s.exStyle));
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace forms
