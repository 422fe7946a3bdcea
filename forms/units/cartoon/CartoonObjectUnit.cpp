#include "forms/units/cartoon/CartoonObjectUnit.h"

#include "forms/units/window/WindowUnit.h"
#include "pictures/AnimationFrames.h"

namespace forms {

namespace {

constexpr char kClassName[] = "CartoonObject";

}  // namespace

UnitObject* CartoonObjectUnit::Create(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadBlock(kTypeCartoonObject, args.typeBlock);
  if (!block || !EnsureWindowClass(kClassName)) return nullptr;
  // Never shown: the window only carries the unit.
  HWND window = CreateWindowExA(0, kClassName, "", (args.style & ~WS_VISIBLE) | WS_CHILD, args.left,
                                args.top, args.width, args.height, args.parent,
                                reinterpret_cast<HMENU>(static_cast<uintptr_t>(args.controlId)),
                                nullptr, nullptr);
  if (window == nullptr) return nullptr;
  auto* unit = new CartoonObjectUnit(args.windowId, args.unitId, std::move(*block));
  if (!unit->Attach(window)) {
    delete unit;
    DestroyWindow(window);
    return nullptr;
  }
  return unit;
}

int32_t CartoonObjectUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  if (!properties_.Store(property, value)) return 0;
  if (property == kObjectPicture || property == kObjectAutoKey || property == kObjectKey) {
    frames_.reset();
    framesLoaded_ = false;
  }
  return 0;
}

pic::SceneObject DefaultPrototype() {
  return pic::SceneObject{};
}

pic::SceneObject CartoonObjectUnit::Prototype() {
  const TypeBlock& p = properties_.Block();
  if (!framesLoaded_) {
    std::span<const uint8_t> picture = p.Data(kObjectPicture);
    auto frames = std::make_shared<pic::AnimationFrames>();
    if (pic::LoadAnimationFrames(picture.data(), picture.size(), p.Logical(kObjectAutoKey),
                                 p.Word(kObjectKey), frames.get())) {
      frames_ = std::move(frames);
    }
    framesLoaded_ = true;
  }
  pic::SceneObject o;
  o.source = frames_;
  o.layer = p.Int(kObjectLayer);
  o.alpha = p.Int(kObjectAlpha);
  o.processing.zoomX = o.processing.zoomY = p.Int(kObjectZoom);
  o.processing.trendColor = p.Word(kObjectTrendColor);
  o.processing.trendDepth = p.Int(kObjectTrendDepth);
  o.processing.light = p.Int(kObjectLight);
  o.processing.turnType = p.Int(kObjectTurnType);
  o.processing.angle = p.Int(kObjectAngle);
  o.processing.rotateFollow = p.Logical(kObjectRotateFollow);
  return o;
}

}  // namespace forms
