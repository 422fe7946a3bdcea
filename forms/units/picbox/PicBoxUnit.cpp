#include "forms/units/picbox/PicBoxUnit.h"

#include "forms/data/UnitId.h"
#include "forms/units/UnitBorders.h"
#include "forms/units/label/TransLabelUnit.h"

namespace forms {
namespace {

constexpr char kPicBoxClass[] = "VelmoraPicBox";

UnitObject* CreatePicBox(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadCreateBlock(kTypePicBox, args.typeBlock);
  if (!block || !EnsureUnitClass(kPicBoxClass)) return nullptr;
  const BoxBorderStyles border = BorderStyles(block->Word(kPicBoxBorder));
  auto* unit = new PicBoxUnit(args.windowId, args.unitId, std::move(*block));
  // Units on the box (transparent labels over the picture) are not painted over; they ask
  // the box to print itself under them.
  UnitObject* made = CreateControlWindow(args, kPicBoxClass, "", border.style | WS_CLIPCHILDREN,
                                         border.exStyle, unit);
  if (made != nullptr) unit->Start();
  return made;
}

}  // namespace

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
    case kPicBoxBorder:
      ApplyBorder(Handle(), Properties().Word(kPicBoxBorder));
      break;
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
  // Transparent labels on the box show what it shows; a change under them is theirs too.
  if (property == kPicBoxBackColor || property == kPicBoxPicture ||
      property == kPicBoxDisplayMode) {
    InvalidateWithLabelsOver(Handle());
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
    case WM_PRINTCLIENT:
      pic::PaintPictureBox(box_, reinterpret_cast<HDC>(wParam));
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
