#include "forms/units/cartoon/CartoonBoxUnit.h"

#include <algorithm>

#include "forms/units/window/WindowUnit.h"

namespace forms {

namespace {

constexpr char kClassName[] = "CartoonBox";

// Object ids travel as event words; a miss (−1) is passed as 0.
uint32_t IdWord(int32_t id) {
  return id > 0 ? static_cast<uint32_t>(id) : 0;
}

COLORREF ResolveColour(uint32_t colour) {
  return colour == kSystemDefaultColor ? GetSysColor(COLOR_BTNFACE) : colour & 0x00FFFFFF;
}

}  // namespace

CartoonBoxUnit::CartoonBoxUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
    : UnitObject(windowId, unitId),
      properties_(std::move(properties)),
      scene_([this](const RECT& r) {
        if (Handle() != nullptr) InvalidateRect(Handle(), &r, FALSE);
      }) {}

UnitObject* CartoonBoxUnit::Create(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadBlock(kTypeCartoonBox, args.typeBlock);
  if (!block || !EnsureWindowClass(kClassName)) return nullptr;
  const BoxBorderStyles border = BorderStyles(block->Word(kBoxBorder));
  HWND window = CreateWindowExA(
      border.exStyle, kClassName, "", (args.style & ~WS_VISIBLE) | WS_CHILD | border.style,
      args.left, args.top, args.width, args.height, args.parent,
      reinterpret_cast<HMENU>(static_cast<uintptr_t>(args.controlId)), nullptr, nullptr);
  if (window == nullptr) return nullptr;
  auto* unit = new CartoonBoxUnit(args.windowId, args.unitId, std::move(*block));
  if (!unit->Attach(window)) {
    delete unit;
    DestroyWindow(window);
    return nullptr;
  }
  unit->RebuildCanvas();
  return unit;
}

int32_t CartoonBoxUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  if (!properties_.Store(property, value)) return 0;
  switch (property) {
    case kBoxBorder:
      return 1;
    case kBoxBackColor:
    case kBoxPicture:
    case kBoxDrawMode:
      RebuildCanvas();
      return 0;
    default:
      return 0;
  }
}

void CartoonBoxUnit::RebuildCanvas() {
  HWND h = Handle();
  RECT client{};
  GetClientRect(h, &client);
  const TypeBlock& p = properties_.Block();
  scene_.Canvas().Build(client.right, client.bottom, p.Data(kBoxPicture), p.Int(kBoxDrawMode),
                        ResolveColour(p.Word(kBoxBackColor)));
  InvalidateRect(h, nullptr, FALSE);
}

void CartoonBoxUnit::Paint() {
  HWND h = Handle();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT client{};
  GetClientRect(h, &client);
  RECT area{std::max(ps.rcPaint.left, client.left), std::max(ps.rcPaint.top, client.top),
            std::min(ps.rcPaint.right, client.right), std::min(ps.rcPaint.bottom, client.bottom)};
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (dc != nullptr && width > 0 && height > 0) {
    paintBuffer_.resize(static_cast<size_t>(width) * height);
    scene_.Compose(area, pic::kNoTransparentKey, paintBuffer_.data());
    const BITMAPINFO info = pic::TopDownBitmapInfo(width, height);
    SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(width),
                      static_cast<DWORD>(height), 0, 0, 0, static_cast<UINT>(height),
                      paintBuffer_.data(), &info, DIB_RGB_COLORS);
  }
  EndPaint(h, &ps);
}

bool CartoonBoxUnit::Raise(int32_t event, std::initializer_list<uint32_t> args) {
  HWND h = Handle();
  RaiseEvent(event, args);
  // The handler may have destroyed the box, and with it this object.
  return IsWindow(h) && FromHandle(h) == this;
}

int32_t CartoonBoxUnit::DestroyObjects(const std::vector<int32_t>& ids) {
  int32_t destroyed = 0;
  for (int32_t id : ids) {
    if (!Exists(id)) continue;
    if (!Raise(kBoxObjectDestroying, {IdWord(id)})) return destroyed;
    // The handler may have destroyed the object itself.
    if (scene_.Destroy(id)) ++destroyed;
  }
  return destroyed;
}

LRESULT CartoonBoxUnit::OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  const int32_t hit = scene_.HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  const uint32_t under = IdWord(hit);
  switch (message) {
    case WM_LBUTTONDOWN:
      pressed_ = hit;
      // The box keeps the mouse until the button comes up, so that a drag that leaves it
      // still sees its release and its moves on the way.
      SetCapture(Handle());
      if (!Raise(kBoxLeftDown, {under})) return 0;
      break;
    case WM_RBUTTONDOWN:
      if (!Raise(kBoxRightDown, {under})) return 0;
      break;
    case WM_LBUTTONUP:
      if (GetCapture() == Handle()) ReleaseCapture();
      if (pressed_ > 0 && !Exists(pressed_)) pressed_ = -1;
      if (!Raise(kBoxLeftUp, {under, IdWord(pressed_)})) return 0;
      pressed_ = 0;
      break;
    case WM_RBUTTONUP:
      if (!Raise(kBoxRightUp, {under})) return 0;
      break;
    case WM_LBUTTONDBLCLK:
      if (!Raise(kBoxDoubleClick, {under})) return 0;
      break;
    default:
      break;
  }
  return UnitObject::HandleMessage(message, wParam, lParam);
}

LRESULT CartoonBoxUnit::OnMouseMove(WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  if ((wParam & MK_LBUTTON) != 0) {
    if (pressed_ > 0 && !Exists(pressed_)) pressed_ = -1;
  } else {
    pressed_ = 0;
  }
  if (hovered_ != 0 && !Exists(hovered_)) hovered_ = 0;
  const int32_t hit = scene_.HitTest(x, y);
  if (hovered_ > 0 && hovered_ != hit) {
    const int32_t left = hovered_;
    hovered_ = 0;
    if (!Raise(kBoxLeave, {IdWord(left), IdWord(pressed_)})) return 0;
  }
  if (hit > 0 && hit != hovered_) {
    hovered_ = hit;
    if (!Raise(kBoxEnter, {IdWord(hit), IdWord(pressed_)})) return 0;
  }
  if (!Raise(kBoxMove, {static_cast<uint32_t>(x), static_cast<uint32_t>(y), IdWord(pressed_)})) {
    return 0;
  }
  return UnitObject::HandleMessage(WM_MOUSEMOVE, wParam, lParam);
}

LRESULT CartoonBoxUnit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // every pixel is painted from the composed scene
    case WM_SIZE: {
      LRESULT r = UnitObject::HandleMessage(message, wParam, lParam);
      RebuildCanvas();
      return r;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK:
      return OnMouse(message, wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam);
    default:
      return UnitObject::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace forms
