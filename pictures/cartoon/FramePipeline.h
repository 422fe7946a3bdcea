// Turning an object's source frames into the frames it is drawn with: flip, rotation, zoom,
// trend colour and brightness, in that order. Frames are shared and never changed once made,
// so an object without processing draws its source frames and objects placed from one
// template share them.
#pragma once

#include <cstdint>
#include <memory>

#include "pictures/AnimationFrames.h"

namespace pic {

using SharedFrames = std::shared_ptr<const AnimationFrames>;

// The pixel value a transparent key stands for in frame order (B, G, R, 0), from a colour
// reference 0x00BBGGRR.
inline uint32_t KeyPixel(uint32_t key) {
  return ((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF);
}

struct FrameProcessing {
  int32_t zoomX = 1000;  // per mille
  int32_t zoomY = 1000;
  uint32_t trendColor = 0xFFFFFF;  // 0x00BBGGRR
  int32_t trendDepth = 0;          // percent
  int32_t light = 0;               // percent, may be negative
  int32_t turnType = 0;            // 0 none, 1 left-right, 2 upside down, 3 both
  int32_t angle = 0;               // degrees, clockwise on the screen
  bool rotateFollow = false;

  bool Rotates() const { return rotateFollow && angle != 0; }
  bool Zooms() const { return zoomX != 1000 || zoomY != 1000; }
  bool Flips() const { return turnType >= 1 && turnType <= 3; }
  // Nothing to do: the source frames are drawn as they are.
  bool Identity() const {
    return !Rotates() && trendDepth <= 0 && light == 0 && !Zooms() && !Flips();
  }
};

// The frames to draw. Null source gives null. A zoom that leaves no pixel (a size of 0 or
// less) and one whose result would not fit the frame budget give frames of size 0.
SharedFrames ProcessFrames(const SharedFrames& source, const FrameProcessing& processing);

}  // namespace pic
