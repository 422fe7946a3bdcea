#include "forms/units/picbox/PicBoxUnit.h"

#include "forms/data/UnitId.h"
#include "forms/units/StyleChange.h"

namespace forms {
namespace {

constexpr char kPicBoxClass[] = "VelmoraPicBox";
constexpr DWORD kBorderStyles = WS_BORDER;
constexpr DWORD kBorderExStyles = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;

UnitObject* CreatePicBox(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadCreateBlock(kTypePicBox, args.typeBlock);
  if (!block || !EnsureUnitClass(kPicBoxClass)) return nullptr;
  const PicBoxStyles border = PicBoxBorderStyles(block->Word(kPicBoxBorder));
  auto* unit = new PicBoxUnit(args.windowId, args.unitId, std::move(*block));
  UnitObject* made =
      CreateControlWindow(args, kPicBoxClass, "", border.style, border.exStyle, unit);
  if (made != nullptr) unit->Start();
  return made;
}

}  // namespace

PicBoxStyles PicBoxBorderStyles(uint32_t border) {
  switch (border) {
    case 1:
      return {0, WS_EX_CLIENTEDGE};
    case 2:
      return {0, WS_EX_DLGMODALFRAME};
    case 3:
      return {0, WS_EX_STATICEDGE};
    case 4:
      return {0, WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE};
    case 5:
      return {WS_BORDER, 0};
    default:
      return {};
  }
}

void PicBoxUnit::Start() {
  box_.SetWindow(Handle());
  box_.SetAnimateGif(Properties().Logical(kPicBoxAnimateGif));
  box_.SetDisplayMode(Properties().Int(kPicBoxDisplayMode));
  ApplyBackColor();
  InstallPicture();
}

void PicBoxUnit::ApplyBackColor() {
  box_.SetBackColor(ResolveColor(Properties().Word(kPicBoxBackColor), COLOR_BTNFACE));
}

void PicBoxUnit::InstallPicture() {
  std::span<const uint8_t> bytes = Properties().Data(kPicBoxPicture);
  pic::SetPictureBoxData(box_, bytes.data(), bytes.size());
}

int32_t PicBoxUnit::Apply(uint32_t property) {
  switch (property) {
    case kPicBoxBorder: {
      const PicBoxStyles s = PicBoxBorderStyles(Properties().Word(kPicBoxBorder));
      ApplyManagedStyles(Handle(), {kBorderStyles, s.style, kBorderExStyles, s.exStyle});
      break;
    }
    case kPicBoxBackColor:
      ApplyBackColor();
      break;
    case kPicBoxPicture:
      InstallPicture();
      break;
    case kPicBoxDisplayMode:
      box_.SetDisplayMode(Properties().Int(kPicBoxDisplayMode));
      break;
    case kPicBoxAnimateGif:
      box_.SetAnimateGif(Properties().Logical(kPicBoxAnimateGif));
      break;
    default:
      break;
  }
  return 0;
}

LRESULT PicBoxUnit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      // The paint fills the box itself, around an animation that is already showing.
      return 1;
    case WM_PAINT:
      pic::PictureBoxPaint(box_);
      return 0;
    case WM_SIZE:
      // Every display mode but the first depends on the size.
      InvalidateRect(Handle(), nullptr, FALSE);
      return UnitObject::HandleMessage(message, wParam, lParam);
    case WM_DESTROY:
      // The player draws into this window; it stops before the window goes.
      pic::SetPictureBoxData(box_, nullptr, 0);
      return UnitObject::HandleMessage(message, wParam, lParam);
    default:
      return UnitObject::HandleMessage(message, wParam, lParam);
  }
}

void* PicBoxInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&CreatePicBox);
  return ControlUnitOperation(operation);
}

}  // namespace forms
