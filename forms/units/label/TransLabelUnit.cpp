#include "forms/units/label/TransLabelUnit.h"

#include <cstring>
#include <vector>

#include "forms/units/label/LabelDrawing.h"

namespace forms {

namespace {

constexpr char kTransLabelClass[] = "VelmoraTransLabel";

// Has `window` print its client area into `dc`, whose origin is `offset` in its client
// coordinates.
void PrintInto(HWND window, HDC dc, POINT offset) {
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, -offset.x, -offset.y, nullptr);
  SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  RestoreDC(dc, saved);
}

// Where `window`'s client origin lies in `other`'s client coordinates.
POINT OriginIn(HWND window, HWND other) {
  POINT p{0, 0};
  MapWindowPoints(window, other, &p, 1);
  return p;
}

class TransLabelUnit : public ControlUnit {
 public:
  TransLabelUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties),
                    {kTransLabelCaption, kTransLabelFont}) {}

 protected:
  int32_t Apply(uint32_t property) override {
    if (property == kTransLabelCaption) {
      SetWindowTextA(Handle(), Properties().Text(kTransLabelCaption).c_str());
    }
    // A parent that does not clip its children draws under the label itself; it must
    // draw there again, or the old caption would stay under the new one.
    HWND parent = GetParent(Handle());
    if (parent != nullptr) {
      RECT under{};
      GetWindowRect(Handle(), &under);
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&under), 2);
      InvalidateRect(parent, &under, TRUE);
    }
    InvalidateRect(Handle(), nullptr, FALSE);
    return 0;
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // what lies below is its background, drawn in WM_PAINT
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        PaintWhatLiesBelow(Handle(), dc);
        PaintCaption(dc);
        EndPaint(Handle(), &ps);
        return 0;
      }
      case WM_PRINTCLIENT:
        // Printed as part of something else, which has drawn what lies below already.
        PaintCaption(reinterpret_cast<HDC>(wParam));
        return 0;
      default:
        return UnitObject::HandleMessage(message, wParam, lParam);
    }
  }

 private:
  void PaintCaption(HDC dc) {
    RECT area{};
    GetClientRect(Handle(), &area);
    COLORREF color = Properties().Word(kTransLabelTextColor) & 0x00FFFFFF;
    DrawCaption(dc, area, Properties().Text(kTransLabelCaption), Font(), color,
                {Properties().Word(kTransLabelHAlign), Properties().Word(kTransLabelVAlign),
                 Properties().Logical(kTransLabelWrap)});
  }
};

UnitObject* CreateTransLabel(const UnitCreateArgs& args) {
  if (!EnsureUnitClass(kTransLabelClass)) return nullptr;
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeTransLabel, args.typeBlock);
  if (!block) return nullptr;
  auto* unit = new TransLabelUnit(args.windowId, args.unitId, std::move(*block));
  const std::string caption = unit->Properties().Text(kTransLabelCaption);
  return CreateControlWindow(args, kTransLabelClass, caption.c_str(), 0, 0, unit);
}

}  // namespace

void PaintWhatLiesBelow(HWND window, HDC dc) {
  HWND parent = GetParent(window);
  if (parent == nullptr) return;
  PrintInto(parent, dc, OriginIn(window, parent));
  RECT mine{};
  GetWindowRect(window, &mine);
  // Siblings further down the z-order are under this one; the lowest is drawn first.
  std::vector<HWND> below;
  for (HWND s = GetWindow(window, GW_HWNDNEXT); s != nullptr; s = GetWindow(s, GW_HWNDNEXT)) {
    RECT theirs{}, overlap{};
    GetWindowRect(s, &theirs);
    if (IsWindowVisible(s) && IntersectRect(&overlap, &mine, &theirs)) below.push_back(s);
  }
  for (auto it = below.rbegin(); it != below.rend(); ++it) {
    PrintInto(*it, dc, OriginIn(window, *it));
  }
}

void InvalidateWithLabelsOver(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    char name[sizeof kTransLabelClass + 1] = {};
    GetClassNameA(c, name, sizeof name);
    if (std::strcmp(name, kTransLabelClass) == 0) InvalidateRect(c, nullptr, FALSE);
  }
}

void* TransLabelInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&CreateTransLabel);
  return ControlUnitOperation(operation);
}

}  // namespace forms
