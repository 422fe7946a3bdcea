#include "forms/units/label/LabelUnit.h"

#include <algorithm>

#include "forms/units/label/LabelDrawing.h"
#include "pictures/DecodedPicture.h"

namespace forms {

namespace {

constexpr char kLabelClass[] = "VelmoraLabel";
constexpr uint64_t kMaxBackPicturePixels = 16u * 1024 * 1024;

// Draws the border and leaves `area` as what is inside it.
void DrawBorder(HDC dc, RECT& area, uint32_t border) {
  switch (border) {
    case 1:
      DrawEdge(dc, &area, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
      break;
    case 2:
      DrawEdge(dc, &area, EDGE_RAISED, BF_RECT | BF_ADJUST);
      break;
    case 3:
      DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
      break;
    case 4:
      DrawEdge(dc, &area, EDGE_ETCHED, BF_RECT | BF_ADJUST);
      break;
    case 5:
      FrameRect(dc, &area, GetSysColorBrush(COLOR_WINDOWFRAME));
      InflateRect(&area, -1, -1);
      break;
    default:
      break;
  }
}

class LabelUnit : public ControlUnit {
 public:
  LabelUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {kLabelCaption, kLabelFont}) {
    KeepMinimum();
    LoadPicture();
  }
  ~LabelUnit() override {
    if (picture_ != nullptr) DeleteObject(picture_);
  }

 protected:
  int32_t Apply(uint32_t property) override {
    if (property == kLabelCaption) {
      SetWindowTextA(Handle(), Properties().Text(kLabelCaption).c_str());
    } else if (property == kLabelInt11) {
      KeepMinimum();
    } else if (property == kLabelBackPicture) {
      LoadPicture();
    }
    InvalidateRect(Handle(), nullptr, TRUE);
    return 0;
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        Paint(dc);
        EndPaint(Handle(), &ps);
        return 0;
      }
      case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
      case kMsgLabelFeedback: {
        EventOutcome outcome = RaiseEvent(
            kLabelFeedbackEvent, {static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam)});
        return outcome.returned ? static_cast<LRESULT>(static_cast<int32_t>(outcome.value)) : 0;
      }
      default:
        return UnitObject::HandleMessage(message, wParam, lParam);
    }
  }

 private:
  void KeepMinimum() {
    if (Properties().Int(kLabelInt11) < kLabelMinimum11) {
      Properties().SetWord(kLabelInt11, kLabelMinimum11);
    }
  }

  void LoadPicture() {
    if (picture_ != nullptr) DeleteObject(picture_);
    std::span<const uint8_t> bytes = Properties().Data(kLabelBackPicture);
    picture_ = bytes.empty()
                   ? nullptr
                   : pic::PictureToBitmapWithin(bytes.data(), bytes.size(), kMaxBackPicturePixels);
  }

  void Paint(HDC dc) {
    RECT area{};
    GetClientRect(Handle(), &area);
    HBRUSH back = CreateSolidBrush(ResolveColor(Properties().Word(kLabelBackColor), COLOR_BTNFACE));
    FillRect(dc, &area, back);
    DeleteObject(back);
    if (picture_ != nullptr) {
      BITMAP info{};
      GetObjectA(picture_, sizeof info, &info);
      HDC source = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(source, picture_);
      BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
    }
    DrawBorder(dc, area, Properties().Word(kLabelBorder));
    COLORREF color = ResolveColor(Properties().Word(kLabelTextColor), COLOR_BTNTEXT);
    if (!IsWindowEnabled(Handle())) color = GetSysColor(COLOR_GRAYTEXT);
    DrawCaption(dc, area, Properties().Text(kLabelCaption), Font(), color,
                {Properties().Word(kLabelHAlign), Properties().Word(kLabelVAlign), true});
  }

  HBITMAP picture_ = nullptr;
};

UnitObject* CreateLabel(const UnitCreateArgs& args) {
  if (!EnsureUnitClass(kLabelClass)) return nullptr;
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeLabel, args.typeBlock);
  if (!block) return nullptr;
  auto* unit = new LabelUnit(args.windowId, args.unitId, std::move(*block));
  const std::string caption = unit->Properties().Text(kLabelCaption);
  return CreateControlWindow(args, kLabelClass, caption.c_str(), 0, 0, unit);
}

}  // namespace

void* LabelInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&CreateLabel);
  return ControlUnitOperation(operation);
}

}  // namespace forms
