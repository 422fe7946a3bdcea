// What an animation box shows: the background canvas and the objects placed on it, kept
// in drawing order (by layer, equal layers in the order they came), composed into rows for
// painting and snapshots, and hit-tested for the mouse. Every change that moves, resizes,
// re-layers, shows or hides an object reports the rectangles to draw again through the
// invalidation callback, so a window repaints only what changed.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "pictures/cartoon/BackgroundCanvas.h"
#include "pictures/cartoon/FramePipeline.h"

namespace pic {

struct SceneObject {
  int32_t id = 0;
  double x = 0;  // left and top in client pixels
  double y = 0;
  bool visible = true;
  std::string name;
  int32_t layer = 0;
  int32_t alpha = 0;  // transparency percent, 0 opaque
  FrameProcessing processing;
  SharedFrames source;            // as loaded from the picture
  SharedFrames processed;         // what is drawn
  std::vector<bool> sourcePlain;  // per source frame: every fourth byte is 0
  std::vector<bool> plain;        // the same for the processed frames
  size_t frame = 0;

  int Width() const { return processed != nullptr ? processed->width : 0; }
  int Height() const { return processed != nullptr ? processed->height : 0; }
  bool Drawable() const {
    return processed != nullptr && frame < processed->frames.size() && Width() > 0 && Height() > 0;
  }
  // Position truncated toward zero (held inside the int range) and the processed size.
  RECT Bounds() const;
};

class CartoonScene {
 public:
  using Invalidate = std::function<void(const RECT&)>;

  explicit CartoonScene(Invalidate invalidate = {}) : invalidate_(std::move(invalidate)) {}

  BackgroundCanvas& Canvas() { return canvas_; }
  const BackgroundCanvas& Canvas() const { return canvas_; }

  // Takes the next id, processes the frames, inserts by layer and reports its rectangle.
  int32_t Place(SceneObject object);
  // False for an unknown id.
  bool Destroy(int32_t id);
  void Clear() { objects_.clear(); }
  const SceneObject* Find(int32_t id) const;
  const std::vector<SceneObject>& Objects() const { return objects_; }

  // Each returns whether anything changed.
  bool SetAlpha(int32_t id, int32_t percent);
  bool SetLayer(int32_t id, int32_t layer);
  // Ignored when either value is 0 or less or both equal the current ones.
  bool SetZoom(int32_t id, int32_t horizontal, int32_t vertical);

  // The topmost object whose drawn pixel is under the point, or −1.
  int32_t HitTest(int x, int y) const;

  // Composes `area` row by row: each finished row (fourth bytes cleared) is written where
  // `sink` says for its index from the top of the area (any alignment). `background`
  // 0xFF000000 starts from the canvas, anything else from a fill of that 0x00BBGGRR colour.
  using RowSink = std::function<uint8_t*(int row)>;
  void ComposeRows(const RECT& area, uint32_t background, const RowSink& sink) const;
  // The same into a top-down buffer of the area's size.
  void Compose(const RECT& area, uint32_t background, uint32_t* out) const;

  // A 32-bit bottom-up BMP file of (x, y, width, height) clipped to the canvas, written into
  // memory from `allocate` (which may return null to give up). Returns the byte count; 0 for
  // an empty rectangle.
  size_t Snapshot(int x, int y, int width, int height, uint32_t background,
                  const std::function<uint8_t*(size_t)>& allocate) const;

 private:
  std::vector<SceneObject>::iterator Locate(int32_t id);
  void Insert(SceneObject object);
  void Reprocess(SceneObject& object);
  void Report(const SceneObject& object) const;

  Invalidate invalidate_;
  BackgroundCanvas canvas_;
  std::vector<SceneObject> objects_;
  int32_t nextId_ = 1;
};

}  // namespace pic
