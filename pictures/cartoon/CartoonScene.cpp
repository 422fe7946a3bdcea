#include "pictures/cartoon/CartoonScene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "pictures/cartoon/Blend.h"
#include "pictures/cartoon/MulDiv.h"

namespace pic {
namespace {

// Positions are held here so that a position plus any frame size stays an int.
constexpr double kPositionLimit = 1e9;

int TruncatedPosition(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, -kPositionLimit, kPositionLimit));
}

std::vector<bool> PlainFrames(const SharedFrames& frames) {
  std::vector<bool> plain;
  if (frames == nullptr) return plain;
  for (const std::vector<uint32_t>& frame : frames->frames) {
    plain.push_back(
        std::all_of(frame.begin(), frame.end(), [](uint32_t p) { return (p & 0xFF000000) == 0; }));
  }
  return plain;
}

// Beyond these the opacity is already fully on or off; the bound keeps MulDiv in range.
int32_t BaseLoss(int32_t alpha) {
  return MulDiv(std::clamp(alpha, -100000, 100000), 255, 100);
}

void PutLittleEndian(uint8_t* at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

// One object as it meets the composed area.
struct Layer {
  RECT bounds;
  const uint32_t* pixels;
  int width;
  RowBlend how;

  // Every pixel of row y of the area is replaced by this layer's own.
  bool Covers(const RECT& area, int y) const {
    return how.plain && !how.keyed && how.baseLoss <= 0 && bounds.left <= area.left &&
           bounds.right >= area.right && y >= bounds.top && y < bounds.bottom;
  }
};

}  // namespace

RECT SceneObject::Bounds() const {
  const int left = TruncatedPosition(x), top = TruncatedPosition(y);
  return RECT{left, top, left + Width(), top + Height()};
}

std::vector<SceneObject>::iterator CartoonScene::Locate(int32_t id) {
  if (id <= 0) return objects_.end();
  return std::find_if(objects_.begin(), objects_.end(),
                      [id](const SceneObject& o) { return o.id == id; });
}

const SceneObject* CartoonScene::Find(int32_t id) const {
  auto it = const_cast<CartoonScene*>(this)->Locate(id);
  return it == objects_.end() ? nullptr : &*it;
}

void CartoonScene::Report(const SceneObject& object) const {
  if (!invalidate_ || object.Width() <= 0 || object.Height() <= 0) return;
  invalidate_(object.Bounds());
}

void CartoonScene::Insert(SceneObject object) {
  // After every object of the same or a lower layer: among equals the newest is on top.
  auto at =
      std::upper_bound(objects_.begin(), objects_.end(), object.layer,
                       [](int32_t layer, const SceneObject& other) { return layer < other.layer; });
  objects_.insert(at, std::move(object));
}

void CartoonScene::Reprocess(SceneObject& object) {
  object.processed = ProcessFrames(object.source, object.processing);
  // Flips, zooms and colour changes keep every fourth byte; only a rotation adds clear ones.
  object.plain = object.processing.Rotates() ? PlainFrames(object.processed) : object.sourcePlain;
  if (object.processed == nullptr || object.frame >= object.processed->frames.size()) {
    object.frame = 0;
  }
}

int32_t CartoonScene::Place(SceneObject object) {
  if (nextId_ == std::numeric_limits<int32_t>::max()) return 0;
  object.id = nextId_++;
  object.frame = 0;
  object.sourcePlain = PlainFrames(object.source);
  Reprocess(object);
  const int32_t id = object.id;
  Report(object);
  Insert(std::move(object));
  return id;
}

bool CartoonScene::Destroy(int32_t id) {
  auto it = Locate(id);
  if (it == objects_.end()) return false;
  SceneObject gone = std::move(*it);
  objects_.erase(it);
  Report(gone);
  return true;
}

bool CartoonScene::SetAlpha(int32_t id, int32_t percent) {
  auto it = Locate(id);
  if (it == objects_.end() || it->alpha == percent) return false;
  it->alpha = percent;
  Report(*it);
  return true;
}

bool CartoonScene::SetLayer(int32_t id, int32_t layer) {
  auto it = Locate(id);
  if (it == objects_.end() || it->layer == layer) return false;
  SceneObject object = std::move(*it);
  objects_.erase(it);
  object.layer = layer;
  Report(object);
  Insert(std::move(object));
  return true;
}

bool CartoonScene::SetZoom(int32_t id, int32_t horizontal, int32_t vertical) {
  auto it = Locate(id);
  if (it == objects_.end() || horizontal <= 0 || vertical <= 0) return false;
  if (it->processing.zoomX == horizontal && it->processing.zoomY == vertical) return false;
  Report(*it);
  it->processing.zoomX = horizontal;
  it->processing.zoomY = vertical;
  Reprocess(*it);
  Report(*it);
  return true;
}

int32_t CartoonScene::HitTest(int x, int y) const {
  for (auto it = objects_.rbegin(); it != objects_.rend(); ++it) {
    const SceneObject& o = *it;
    if (!o.Drawable()) continue;
    const RECT b = o.Bounds();
    if (x < b.left || x >= b.right || y < b.top || y >= b.bottom) continue;
    const uint32_t p = o.processed->frames[o.frame][static_cast<size_t>(y - b.top) * o.Width() +
                                                    static_cast<size_t>(x - b.left)];
    if ((p >> 24) == 0xFF) continue;
    const uint32_t key = o.processed->transparentKey;
    if (key != kNoTransparentKey && p == KeyPixel(key)) continue;
    return o.id;
  }
  return -1;
}

void CartoonScene::ComposeRows(const RECT& area, uint32_t background, const RowSink& sink) const {
  const int width = area.right - area.left;
  if (width <= 0 || area.bottom <= area.top) return;

  std::vector<Layer> layers;
  for (const SceneObject& o : objects_) {
    if (!o.visible || !o.Drawable()) continue;
    const RECT b = o.Bounds();
    if (b.right <= area.left || b.left >= area.right || b.bottom <= area.top ||
        b.top >= area.bottom) {
      continue;
    }
    const uint32_t key = o.processed->transparentKey;
    layers.push_back({b, o.processed->frames[o.frame].data(), o.Width(),
                      RowBlend{BaseLoss(o.alpha), key != kNoTransparentKey, KeyPixel(key),
                               o.frame < o.plain.size() && o.plain[o.frame]}});
  }

  const bool fromCanvas = background == kNoTransparentKey;
  const uint32_t fill = KeyPixel(background & 0x00FFFFFF);
  std::vector<uint32_t> row(static_cast<size_t>(width));
  for (int y = area.top; y < area.bottom; ++y) {
    // Whatever lies under an opaque layer that spans the whole row is never seen.
    size_t first = 0;
    for (size_t i = layers.size(); i-- > 0;) {
      const Layer& l = layers[i];
      if (l.Covers(area, y)) {
        first = i;
        break;
      }
    }
    if (first == 0 && (layers.empty() || !layers[0].Covers(area, y))) {
      const uint32_t* canvasRow = fromCanvas ? canvas_.Row(y) : nullptr;
      if (canvasRow != nullptr && area.left >= 0 && area.right <= canvas_.Width()) {
        std::memcpy(row.data(), canvasRow + area.left, static_cast<size_t>(width) * 4);
      } else {
        std::fill(row.begin(), row.end(), fromCanvas ? 0u : fill);
      }
    }
    for (size_t i = first; i < layers.size(); ++i) {
      const Layer& layer = layers[i];
      if (y < layer.bounds.top || y >= layer.bounds.bottom) continue;
      const int x0 = std::max(area.left, static_cast<int>(layer.bounds.left));
      const int x1 = std::min(area.right, static_cast<int>(layer.bounds.right));
      const uint32_t* src = layer.pixels + static_cast<size_t>(y - layer.bounds.top) * layer.width +
                            (x0 - layer.bounds.left);
      BlendRow(row.data() + (x0 - area.left), src, x1 - x0, layer.how);
    }
    FinishRow(sink(y - area.top), row.data(), width);
  }
}

void CartoonScene::Compose(const RECT& area, uint32_t background, uint32_t* out) const {
  const size_t width = static_cast<size_t>(std::max(0, static_cast<int>(area.right - area.left)));
  ComposeRows(area, background,
              [&](int row) { return reinterpret_cast<uint8_t*>(out + row * width); });
}

size_t CartoonScene::Snapshot(int x, int y, int width, int height, uint32_t background,
                              const std::function<uint8_t*(size_t)>& allocate) const {
  const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + width, canvas_.Width());
  const int64_t bottom = std::min<int64_t>(int64_t{y} + height, canvas_.Height());
  if (right <= left || bottom <= top) return 0;
  const uint32_t w = static_cast<uint32_t>(right - left), h = static_cast<uint32_t>(bottom - top);
  const size_t imageBytes = size_t{w} * h * 4;
  const size_t total = imageBytes + 54;
  uint8_t* file = allocate(total);
  if (file == nullptr) return 0;

  std::memset(file, 0, 54);
  file[0] = 'B';
  file[1] = 'M';
  PutLittleEndian(file + 2, static_cast<uint32_t>(total), 4);
  PutLittleEndian(file + 10, 54, 4);
  PutLittleEndian(file + 14, 40, 4);
  PutLittleEndian(file + 18, w, 4);
  PutLittleEndian(file + 22, h, 4);
  PutLittleEndian(file + 26, 1, 2);
  PutLittleEndian(file + 28, 32, 2);
  PutLittleEndian(file + 34, static_cast<uint32_t>(imageBytes), 4);

  // The file stores the bottom row first.
  uint8_t* pixels = file + 54;
  const RECT area{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                  static_cast<LONG>(bottom)};
  ComposeRows(area, background, [&](int row) { return pixels + size_t(h - 1 - row) * w * 4; });
  return total;
}

}  // namespace pic
