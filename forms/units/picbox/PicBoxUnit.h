// The picture box unit: a window of its own class that shows a picture through the
// picture-display code, with the border, back colour, display mode and animation switch of
// its type block.
#pragma once

#include <cstdint>

#include "forms/units/ControlUnit.h"
#include "pictures/display/PictureBox.h"

namespace forms {

// Picture box property indexes.
inline constexpr uint32_t kPicBoxBorder = 8;
inline constexpr uint32_t kPicBoxBackColor = 9;
inline constexpr uint32_t kPicBoxPicture = 10;
inline constexpr uint32_t kPicBoxDisplayMode = 11;
// The stored switch plays GIF pictures as animations.
inline constexpr uint32_t kPicBoxAnimateGif = 12;

class PicBoxUnit : public ControlUnit {
 public:
  PicBoxUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {}) {}

  pic::PictureBox& Box() { return box_; }
  // Takes the new window over and shows what the block holds.
  void Start();

 protected:
  int32_t Apply(uint32_t property) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ApplyBackColor();
  void InstallPicture();

  pic::PictureBox box_{nullptr};
};

void* PicBoxInterface(int32_t operation);

}  // namespace forms
