#include "forms/units/button/ButtonUnit.h"

#include <algorithm>

#include "forms/units/IconFiles.h"
#include "pictures/DecodedPicture.h"

namespace forms {

namespace {

// Bigger pictures than a screen's worth are not worth decoding for a button face.
constexpr uint64_t kMaxButtonPicturePixels = 16u * 1024 * 1024;

uint32_t Clamped(const TypeBlock& properties, uint32_t property, int32_t largest) {
  return static_cast<uint32_t>(std::clamp(properties.Int(property), 0, largest));
}

bool IsIconData(std::span<const uint8_t> bytes) {
  pic::PictureKind kind = pic::DetectPictureKind(bytes.data(), bytes.size());
  return kind == pic::kPictureIcon || kind == pic::kPictureCursor;
}

class ButtonUnit : public ControlUnit {
 public:
  ButtonUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {kButtonCaption, kButtonFont}) {
    // Choices are kept as the nearest value they can show, so a get reads what is shown.
    for (auto [property, largest] :
         {std::pair{kButtonKind, 1}, {kButtonHAlign, 2}, {kButtonVAlign, 2}}) {
      Properties().SetWord(property, Clamped(Properties(), property, largest));
    }
  }
  ~ButtonUnit() override { ReleaseImage(); }

  bool IsDefaultButton() const override { return Properties().Word(kButtonKind) == 1; }

  // Puts the stored picture on the button, or takes the old one off.
  void ShowPicture() {
    HANDLE old = image_;
    UINT oldType = imageType_;
    image_ = nullptr;
    std::span<const uint8_t> bytes = Properties().Data(kButtonPicture);
    if (!bytes.empty() && IsIconData(bytes)) {
      image_ = IconFromFile(bytes, 32);
      imageType_ = IMAGE_ICON;
    } else if (!bytes.empty()) {
      image_ = pic::PictureToBitmapWithin(bytes.data(), bytes.size(), kMaxButtonPicturePixels);
      imageType_ = IMAGE_BITMAP;
    }
    SendMessageA(Handle(), BM_SETIMAGE, imageType_, reinterpret_cast<LPARAM>(image_));
    Release(old, oldType);
  }

 protected:
  int32_t Apply(uint32_t property) override {
    HWND h = Handle();
    switch (property) {
      case kButtonCaption:
        SetWindowTextA(h, Properties().Text(kButtonCaption).c_str());
        break;
      case kButtonFont:
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
        break;
      case kButtonKind:
      case kButtonHAlign:
      case kButtonVAlign:
        Properties().SetWord(property,
                             Clamped(Properties(), property, property == kButtonKind ? 1 : 2));
        ApplyStyle();
        break;
      case kButtonPicture:
        ShowPicture();
        ApplyStyle();
        break;
      default:
        break;
    }
    return 0;
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kReflectedBase + WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
      RaiseEvent(kButtonClicked);
      return 0;
    }
    return UnitObject::HandleMessage(message, wParam, lParam);
  }

 private:
  void ApplyStyle() {
    constexpr DWORD kManaged = BS_TYPEMASK | BS_CENTER | BS_VCENTER | BS_ICON | BS_BITMAP;
    HWND h = Handle();
    auto style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
    DWORD want = (style & ~kManaged) | ButtonStyle(Properties());
    if (want != style) SetWindowLongA(h, GWL_STYLE, static_cast<LONG>(want));
    InvalidateRect(h, nullptr, TRUE);
  }

  static void Release(HANDLE image, UINT type) {
    if (image == nullptr) return;
    if (type == IMAGE_ICON) {
      DestroyIcon(static_cast<HICON>(image));
    } else {
      DeleteObject(static_cast<HBITMAP>(image));
    }
  }
  void ReleaseImage() {
    Release(image_, imageType_);
    image_ = nullptr;
  }

  HANDLE image_ = nullptr;
  UINT imageType_ = IMAGE_BITMAP;
};

UnitObject* CreateButton(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeButton, args.typeBlock);
  if (!block) return nullptr;
  auto* unit = new ButtonUnit(args.windowId, args.unitId, std::move(*block));
  const std::string caption = unit->Properties().Text(kButtonCaption);
  UnitObject* made = CreateControlWindow(args, "BUTTON", caption.c_str(),
                                         ButtonStyle(unit->Properties()), 0, unit);
  if (made != nullptr) unit->ShowPicture();
  return made;
}

}  // namespace

DWORD ButtonStyle(const TypeBlock& properties) {
  constexpr DWORD kHorizontal[] = {BS_LEFT, BS_CENTER, BS_RIGHT};
  constexpr DWORD kVertical[] = {BS_TOP, BS_VCENTER, BS_BOTTOM};
  DWORD style = BS_MULTILINE;
  style |= Clamped(properties, kButtonKind, 1) == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  style |= kHorizontal[Clamped(properties, kButtonHAlign, 2)];
  style |= kVertical[Clamped(properties, kButtonVAlign, 2)];
  std::span<const uint8_t> picture = properties.Data(kButtonPicture);
  if (!picture.empty()) style |= IsIconData(picture) ? BS_ICON : BS_BITMAP;
  return style;
}

void* ButtonInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&CreateButton);
  return ControlUnitOperation(operation);
}

}  // namespace forms
