// The animation-object template: a unit that is never shown and only holds the properties
// objects are placed from (picture, transparency key, zoom, layer, colour processing). Its
// picture is decoded once and shared by every object placed from it until it changes.
#pragma once

#include "forms/units/UnitObject.h"
#include "forms/units/cartoon/BlockProperties.h"
#include "pictures/cartoon/CartoonScene.h"

namespace forms {

// Template property indexes.
inline constexpr uint32_t kObjectPicture = 11;
inline constexpr uint32_t kObjectAutoKey = 12;
inline constexpr uint32_t kObjectKey = 13;
inline constexpr uint32_t kObjectTrendColor = 17;
inline constexpr uint32_t kObjectTrendDepth = 18;
inline constexpr uint32_t kObjectLight = 19;
inline constexpr uint32_t kObjectAlpha = 20;
inline constexpr uint32_t kObjectZoom = 21;
inline constexpr uint32_t kObjectLayer = 22;
inline constexpr uint32_t kObjectAngle = 23;
inline constexpr uint32_t kObjectRotateFollow = 24;
inline constexpr uint32_t kObjectTurnType = 25;

class CartoonObjectUnit : public UnitObject {
 public:
  CartoonObjectUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : UnitObject(windowId, unitId), properties_(std::move(properties)) {}

  static UnitObject* Create(const UnitCreateArgs& args);

  BlockProperties& Properties() { return properties_; }
  int32_t SetProperty(uint32_t property, const PropertyValue& value);

  // An object with the template's current properties (not yet placed).
  pic::SceneObject Prototype();

 private:
  BlockProperties properties_;
  pic::SharedFrames frames_;
  bool framesLoaded_ = false;
};

// An object of no template: no picture, trend colour white, zooms 1000, all else 0.
pic::SceneObject DefaultPrototype();

}  // namespace forms
