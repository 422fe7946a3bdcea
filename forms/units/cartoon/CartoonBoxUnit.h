// The animation box: a child window that shows its scene (background canvas and objects),
// repaints only the rectangles the scene reports as changed, and turns mouse messages into
// its object events. The box keeps two object ids for the mouse: the object the left button
// went down on (−1 when it went down on none) and the object under the pointer, 0 for none.
//
//   event  message               arguments
//   0      left button down      object under the point
//   1      right button down     object under the point
//   2      left button up        object under the point, pressed object
//   3      right button up       object under the point
//   4      left double click     object under the point
//   5      pointer enters object that object, pressed object
//   6      pointer leaves object that object, pressed object
//   7      pointer moves         x, y, pressed object
//   8      object will be destroyed  its id
//
// An id argument is never negative: a miss is passed as 0. Any handler may destroy the box;
// after each event the box checks that it still exists before it touches its own state.
#pragma once

#include <vector>

#include "forms/units/UnitBorders.h"
#include "forms/units/UnitObject.h"
#include "forms/units/cartoon/BlockProperties.h"
#include "pictures/cartoon/CartoonScene.h"

namespace forms {

// Box property indexes.
inline constexpr uint32_t kBoxBorder = 8;
inline constexpr uint32_t kBoxBackColor = 9;
inline constexpr uint32_t kBoxPicture = 10;
inline constexpr uint32_t kBoxDrawMode = 11;

// Box events.
inline constexpr int32_t kBoxLeftDown = 0;
inline constexpr int32_t kBoxRightDown = 1;
inline constexpr int32_t kBoxLeftUp = 2;
inline constexpr int32_t kBoxRightUp = 3;
inline constexpr int32_t kBoxDoubleClick = 4;
inline constexpr int32_t kBoxEnter = 5;
inline constexpr int32_t kBoxLeave = 6;
inline constexpr int32_t kBoxMove = 7;
inline constexpr int32_t kBoxObjectDestroying = 8;

class CartoonBoxUnit : public UnitObject {
 public:
  CartoonBoxUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties);

  static UnitObject* Create(const UnitCreateArgs& args);

  BlockProperties& Properties() { return properties_; }
  // 1 when the box must be re-created for the change to show (the border).
  int32_t SetProperty(uint32_t property, const PropertyValue& value);

  pic::CartoonScene& Scene() { return scene_; }
  const pic::CartoonScene& Scene() const { return scene_; }

  // Destroys the objects one by one, each after its event 8; stops when a handler destroys
  // the box. Returns how many objects it destroyed.
  int32_t DestroyObjects(const std::vector<int32_t>& ids);

  int32_t PressedObject() const { return pressed_; }
  int32_t HoveredObject() const { return hovered_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Raises an event; false when the box is gone afterwards.
  bool Raise(int32_t event, std::initializer_list<uint32_t> args);
  bool Exists(int32_t id) const { return id > 0 && scene_.Find(id) != nullptr; }
  void RebuildCanvas();
  void Paint();
  LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);

  BlockProperties properties_;
  pic::CartoonScene scene_;
  std::vector<uint32_t> paintBuffer_;
  int32_t pressed_ = 0;
  int32_t hovered_ = 0;
};

}  // namespace forms
