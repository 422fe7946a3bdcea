#include "pictures/cartoon/FramePipeline.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "pictures/cartoon/MulDiv.h"

namespace pic {
namespace {

// A fully transparent pixel: what a rotated frame shows outside the picture.
constexpr uint32_t kClearPixel = 0xFF000000;

bool FitsBudget(int64_t width, int64_t height, size_t frames) {
  return width > 0 && height > 0 &&
         width * height * 4 * static_cast<int64_t>(frames) <= kMaxAnimationBytes;
}

// Nearest-neighbour rotation about the frame's centre into a frame that holds all of it.
// Each target pixel centre is turned back onto the source, so no target pixel is left out.
bool Rotate(const AnimationFrames& in, int angle, AnimationFrames* out) {
  const double radians = angle * std::numbers::pi / 180.0;
  const double c = std::cos(radians), s = std::sin(radians);
  // The small allowance keeps right angles from growing a pixel through rounding noise.
  const double w = in.width, h = in.height;
  const int64_t rw = static_cast<int64_t>(std::ceil(w * std::fabs(c) + h * std::fabs(s) - 1e-6));
  const int64_t rh = static_cast<int64_t>(std::ceil(w * std::fabs(s) + h * std::fabs(c) - 1e-6));
  if (!FitsBudget(rw, rh, in.frames.size())) return false;
  out->width = static_cast<int>(rw);
  out->height = static_cast<int>(rh);
  out->transparentKey = in.transparentKey;
  out->frames.clear();
  for (const std::vector<uint32_t>& frame : in.frames) {
    std::vector<uint32_t> rotated(static_cast<size_t>(rw * rh), kClearPixel);
    for (int64_t y = 0; y < rh; ++y) {
      const double dy = y + 0.5 - rh / 2.0;
      for (int64_t x = 0; x < rw; ++x) {
        const double dx = x + 0.5 - rw / 2.0;
        const double sx = std::floor(dx * c + dy * s + w / 2.0);
        const double sy = std::floor(-dx * s + dy * c + h / 2.0);
        if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
        rotated[static_cast<size_t>(y * rw + x)] =
            frame[static_cast<size_t>(sy) * in.width + static_cast<size_t>(sx)];
      }
    }
    out->frames.push_back(std::move(rotated));
  }
  return true;
}

// Resamples by the box's fixed-point stepping; a flip is folded into the row and column
// tables, since reading the flipped picture at column c is reading the source at w − 1 − c.
// Without a zoom the tables are the identity and this is the flip alone.
void Resample(const AnimationFrames& in, int turnType, int newWidth, int newHeight,
              AnimationFrames* out) {
  const int64_t stepX = (int64_t{256} * in.width) / newWidth;
  const int64_t stepY = (int64_t{256} * in.height) / newHeight;
  std::vector<uint32_t> columns(static_cast<size_t>(newWidth));
  for (int j = 0; j < newWidth; ++j) {
    const int64_t c = (j * stepX) >> 8;
    columns[j] = static_cast<uint32_t>((turnType & 1) != 0 ? in.width - 1 - c : c);
  }
  out->width = newWidth;
  out->height = newHeight;
  out->frames.clear();
  for (const std::vector<uint32_t>& frame : in.frames) {
    // Grown a row at a time, so no pass clears memory that is written right after.
    std::vector<uint32_t> zoomed;
    zoomed.reserve(static_cast<size_t>(newWidth) * newHeight);
    for (int i = 0; i < newHeight; ++i) {
      int64_t r = (i * stepY) >> 8;
      if ((turnType & 2) != 0) r = in.height - 1 - r;
      const uint32_t* src = frame.data() + static_cast<size_t>(r) * in.width;
      zoomed.resize(zoomed.size() + static_cast<size_t>(newWidth));
      uint32_t* dst = zoomed.data() + static_cast<size_t>(i) * newWidth;
      for (int j = 0; j < newWidth; ++j) dst[j] = src[columns[j]];
    }
    out->frames.push_back(std::move(zoomed));
  }
}

// Calls `change(pixel)` for every pixel that is not the frame's key colour.
template <typename Change>
void ForEachColoured(AnimationFrames* frames, Change change) {
  const bool keyed = frames->transparentKey != kNoTransparentKey;
  const uint32_t key = KeyPixel(frames->transparentKey);
  for (std::vector<uint32_t>& frame : frames->frames) {
    for (uint32_t& p : frame) {
      if (!keyed || p != key) p = change(p);
    }
  }
}

template <typename Channel>
uint32_t EachChannel(uint32_t p, Channel channel) {
  const uint32_t b = channel(p & 0xFF, 0), g = channel((p >> 8) & 0xFF, 1),
                 r = channel((p >> 16) & 0xFF, 2);
  return (p & 0xFF000000) | (r << 16) | (g << 8) | b;
}

}  // namespace

SharedFrames ProcessFrames(const SharedFrames& source, const FrameProcessing& p) {
  if (source == nullptr || p.Identity()) return source;
  if (source->width <= 0 || source->height <= 0) return std::make_shared<AnimationFrames>();
  auto out = std::make_shared<AnimationFrames>();
  const AnimationFrames* current = source.get();

  AnimationFrames rotated;
  int turnType = p.Flips() ? p.turnType : 0;
  if (p.Rotates()) {
    // Flip first, then turn: the rotation works on the flipped picture.
    AnimationFrames flipped;
    Resample(*current, turnType, current->width, current->height, &flipped);
    flipped.transparentKey = current->transparentKey;
    if (!Rotate(flipped, p.angle % 360, &rotated)) return std::make_shared<AnimationFrames>();
    current = &rotated;
    turnType = 0;
  }

  int newWidth = current->width, newHeight = current->height;
  if (p.Zooms()) {
    newWidth = MulDiv(current->width, p.zoomX, 1000);
    newHeight = MulDiv(current->height, p.zoomY, 1000);
    if (!FitsBudget(newWidth, newHeight, current->frames.size())) {
      return std::make_shared<AnimationFrames>();
    }
  }
  Resample(*current, turnType, newWidth, newHeight, out.get());
  out->transparentKey = p.Zooms() ? kNoTransparentKey : current->transparentKey;

  // A depth of 0 or less asks for no trend; below 0 it would push channels out of range.
  const int depth = std::min(p.trendDepth, 100);
  if (depth > 0) {
    const int target[3] = {static_cast<int>((p.trendColor >> 16) & 0xFF),
                           static_cast<int>((p.trendColor >> 8) & 0xFF),
                           static_cast<int>(p.trendColor & 0xFF)};
    ForEachColoured(out.get(), [&](uint32_t px) {
      return EachChannel(px, [&](uint32_t v, int channel) {
        const int t = target[channel];
        return static_cast<uint32_t>(static_cast<int>(v) +
                                     MulDiv(t - static_cast<int>(v), depth, 100));
      });
    });
  }
  if (p.light != 0) {
    // Beyond ±100000 % every channel is already at its limit; the bound keeps MulDiv in range.
    const int light = std::clamp(p.light, -100000, 100000);
    ForEachColoured(out.get(), [&](uint32_t px) {
      return EachChannel(px, [&](uint32_t v, int) {
        const int64_t lit = int64_t{v} + MulDiv(static_cast<int>(v), light, 100);
        return static_cast<uint32_t>(std::clamp<int64_t>(lit, 0, 255));
      });
    });
  }
  return out;
}

}  // namespace pic
