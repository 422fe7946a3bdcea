// The system's standard icons and cursors, drawn here from a few shapes rather than
// shipped as pictures. Shapes are signed distance functions (negative inside), so unions,
// outlines and anti-aliasing come cheaply at 32x32.
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "platform/gdi/IconResource.h"

namespace platform::gdi {
namespace {

constexpr int kSize = kSystemIconSize;
constexpr double kPi = 3.14159265358979323846;

using Shape = std::function<double(double, double)>;
using Points = std::vector<std::pair<double, double>>;

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  double dx = bx - ax, dy = by - ay;
  double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0) : 0.0;
  double ex = px - (ax + t * dx), ey = py - (ay + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

Shape Polygon(Points points) {
  return [points = std::move(points)](double x, double y) {
    double d = 1e9;
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      auto [xi, yi] = points[i];
      auto [xj, yj] = points[j];
      d = std::min(d, SegmentDistance(x, y, xi, yi, xj, yj));
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside ? -d : d;
  };
}

Shape Capsule(double ax, double ay, double bx, double by, double halfWidth) {
  return [=](double x, double y) { return SegmentDistance(x, y, ax, ay, bx, by) - halfWidth; };
}

Shape Disc(double cx, double cy, double r) {
  return [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape Ring(double cx, double cy, double r, double halfWidth) {
  return [=](double x, double y) { return std::abs(std::hypot(x - cx, y - cy) - r) - halfWidth; };
}

// An arc of circle as a stroke, from angle a0 to a1 (radians, y down).
Shape Arc(double cx, double cy, double r, double a0, double a1, double halfWidth) {
  return [=](double x, double y) {
    double d = 1e9;
    const int steps = 24;
    for (int i = 0; i < steps; ++i) {
      double t0 = a0 + (a1 - a0) * i / steps, t1 = a0 + (a1 - a0) * (i + 1) / steps;
      d = std::min(d, SegmentDistance(x, y, cx + r * std::cos(t0), cy + r * std::sin(t0),
                                      cx + r * std::cos(t1), cy + r * std::sin(t1)));
    }
    return d - halfWidth;
  };
}

Shape Union(std::vector<Shape> shapes) {
  return [shapes = std::move(shapes)](double x, double y) {
    double d = 1e9;
    for (const Shape& s : shapes) d = std::min(d, s(x, y));
    return d;
  };
}

// The same shape moved inwards (negative) or outwards (positive).
Shape Grow(Shape shape, double by) {
  return [shape = std::move(shape), by](double x, double y) { return shape(x, y) - by; };
}

Points Rotated(const Points& points, double degrees) {
  const double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
  Points out;
  for (auto [x, y] : points) {
    double dx = x - 16, dy = y - 16;
    out.emplace_back(16 + dx * c - dy * s, 16 + dx * s + dy * c);
  }
  return out;
}

class Canvas {
 public:
  Canvas() : pixels_(kSize * kSize) {}

  // Composites a colour over what is there wherever the shape is, 4x4 samples a pixel.
  void Fill(const Shape& shape, uint32_t rgb) {
    const double r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        int hits = 0;
        for (int sy = 0; sy < 4; ++sy) {
          for (int sx = 0; sx < 4; ++sx) {
            if (shape(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4) < 0) ++hits;
          }
        }
        if (hits == 0) continue;
        const double a = hits / 16.0;
        Premultiplied& p = pixels_[y * kSize + x];
        p.r = r * a + p.r * (1 - a);
        p.g = g * a + p.g * (1 - a);
        p.b = b * a + p.b * (1 - a);
        p.a = a + p.a * (1 - a);
      }
    }
  }

  // A light fill inside a dark outline of the given width, the way cursors stay visible
  // on any background.
  void Outlined(const Shape& shape, uint32_t outline, uint32_t fill, double width = 1.2) {
    Fill(shape, outline);
    Fill(Grow(shape, -width), fill);
  }

  IconPixels Finish(POINT hotspot) const {
    IconPixels out;
    out.width = kSize;
    out.height = kSize;
    out.hasAlpha = true;
    out.hotspot = hotspot;
    out.bgra.resize(kSize * kSize);
    out.mask.resize(kSize * kSize);
    for (size_t i = 0; i < pixels_.size(); ++i) {
      const Premultiplied& p = pixels_[i];
      uint32_t a = static_cast<uint32_t>(std::lround(p.a * 255));
      uint32_t value = 0;
      if (a > 0) {
        auto channel = [&](double v) {
          return static_cast<uint32_t>(std::clamp(std::lround(v / p.a), 0L, 255L));
        };
        value = (a << 24) | (channel(p.r) << 16) | (channel(p.g) << 8) | channel(p.b);
      }
      out.bgra[i] = value;
      // For callers that draw with the mask alone, the opaque half of the picture.
      out.mask[i] = a < 128 ? 1 : 0;
      if (a < 128) out.bgra[i] = value & 0xFF000000;
    }
    return out;
  }

 private:
  struct Premultiplied {
    double r = 0, g = 0, b = 0, a = 0;
  };
  std::vector<Premultiplied> pixels_;
};

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

Shape QuestionMark(double cx, double top, double scale, double halfWidth) {
  const double r = 4.5 * scale;
  const double cy = top + r;
  return Union({Arc(cx, cy, r, kPi * 1.05, kPi * 2.45, halfWidth),
                Capsule(cx + r * std::cos(kPi * 2.45), cy + r * std::sin(kPi * 2.45), cx,
                        cy + r + 2.5 * scale, halfWidth),
                Disc(cx, cy + r + 6.5 * scale, halfWidth * 1.1)});
}

const Points kArrow = {{1, 1}, {1, 23}, {6.5, 18}, {10.5, 27}, {14, 25.5}, {10, 17}, {17, 17}};
const Points kDoubleArrow = {{2, 16},  {9, 9},   {9, 13.5},  {23, 13.5}, {23, 9},
                             {30, 16}, {23, 23}, {23, 18.5}, {9, 18.5},  {9, 23}};
const Points kFourWayArrow = {{16, 1.5},  {21.5, 7},  {18, 7},  {18, 14}, {25, 14}, {25, 10.5},
                              {30.5, 16}, {25, 21.5}, {25, 18}, {18, 18}, {18, 25}, {21.5, 25},
                              {16, 30.5}, {10.5, 25}, {14, 25}, {14, 18}, {7, 18},  {7, 21.5},
                              {1.5, 16},  {7, 10.5},  {7, 14},  {14, 14}, {14, 7},  {10.5, 7}};

IconPixels DrawCursor(unsigned id) {
  Canvas canvas;
  POINT hotspot{16, 16};
  switch (id) {
    case 32512:  // IDC_ARROW
      canvas.Outlined(Polygon(kArrow), kBlack, kWhite);
      hotspot = {1, 1};
      break;
    case 32513: {  // IDC_IBEAM
      Shape beam = Union({Capsule(16.5, 6, 16.5, 26, 0.7), Capsule(13, 5, 15.5, 6, 0.7),
                          Capsule(17.5, 6, 20, 5, 0.7), Capsule(13, 27, 15.5, 26, 0.7),
                          Capsule(17.5, 26, 20, 27, 0.7)});
      canvas.Fill(Grow(beam, 1.0), kWhite);
      canvas.Fill(beam, kBlack);
      break;
    }
    case 32514: {  // IDC_WAIT
      canvas.Outlined(Polygon({{8, 3},
                               {24, 3},
                               {24, 7},
                               {18, 16},
                               {24, 25},
                               {24, 29},
                               {8, 29},
                               {8, 25},
                               {14, 16},
                               {8, 7}}),
                      kBlack, kWhite);
      canvas.Fill(Polygon({{11.5, 8}, {20.5, 8}, {16, 14}}), 0x2060C0);
      canvas.Fill(Polygon({{16, 20}, {21, 27}, {11, 27}}), 0x2060C0);
      break;
    }
    case 32515: {  // IDC_CROSS
      // Centred on pixel 16 so that the one-pixel lines stay crisp.
      Shape cross = Union({Capsule(16.5, 3, 16.5, 30, 0.6), Capsule(3, 16.5, 30, 16.5, 0.6)});
      canvas.Fill(Grow(cross, 1.0), kWhite);
      canvas.Fill(cross, kBlack);
      break;
    }
    case 32516:  // IDC_UPARROW
      canvas.Outlined(
          Polygon({{16, 1}, {25, 11}, {19.5, 11}, {19.5, 30}, {12.5, 30}, {12.5, 11}, {7, 11}}),
          kBlack, kWhite);
      hotspot = {16, 1};
      break;
    case 32642:  // IDC_SIZENWSE
      canvas.Outlined(Polygon(Rotated(kDoubleArrow, 45)), kBlack, kWhite);
      break;
    case 32643:  // IDC_SIZENESW
      canvas.Outlined(Polygon(Rotated(kDoubleArrow, -45)), kBlack, kWhite);
      break;
    case 32644:  // IDC_SIZEWE
      canvas.Outlined(Polygon(kDoubleArrow), kBlack, kWhite);
      break;
    case 32645:  // IDC_SIZENS
      canvas.Outlined(Polygon(Rotated(kDoubleArrow, 90)), kBlack, kWhite);
      break;
    case 32646:  // IDC_SIZEALL
      canvas.Outlined(Polygon(kFourWayArrow), kBlack, kWhite);
      break;
    case 32648: {  // IDC_NO
      Shape sign = Union({Ring(16, 16, 11.5, 2.2), Capsule(8, 8, 24, 24, 2.2)});
      canvas.Fill(Grow(sign, 1.0), kWhite);
      canvas.Fill(sign, 0xD02020);
      break;
    }
    case 32649: {  // IDC_HAND
      Shape hand = Union({Capsule(12, 4, 12, 18, 2.6), Capsule(16.5, 13, 16.5, 19, 2.3),
                          Capsule(21, 14, 21, 20, 2.3), Capsule(25, 16, 25, 21, 2.1),
                          Polygon({{9.4, 17}, {27, 18}, {26, 27}, {22, 30}, {13, 30}, {9.4, 25}}),
                          Capsule(6, 19, 9.8, 24, 2.2)});
      canvas.Outlined(hand, kBlack, kWhite, 1.1);
      hotspot = {12, 1};
      break;
    }
    case 32651: {  // IDC_HELP
      canvas.Outlined(Polygon(kArrow), kBlack, kWhite);
      Shape mark = QuestionMark(24, 5, 0.8, 1.1);
      canvas.Fill(Grow(mark, 1.0), kWhite);
      canvas.Fill(mark, kBlack);
      hotspot = {1, 1};
      break;
    }
    default:
      return {};
  }
  return canvas.Finish(hotspot);
}

IconPixels DrawIconImage(unsigned id) {
  Canvas canvas;
  switch (id) {
    case 32512:  // IDI_APPLICATION
      canvas.Fill(Polygon({{3, 5}, {29, 5}, {29, 27}, {3, 27}}), 0x505050);
      canvas.Fill(Polygon({{4, 6}, {28, 6}, {28, 26}, {4, 26}}), kWhite);
      canvas.Fill(Polygon({{4, 6}, {28, 6}, {28, 10}, {4, 10}}), 0x2A64C8);
      break;
    case 32513: {  // IDI_ERROR
      canvas.Fill(Disc(16, 16, 14.5), 0x9C1010);
      canvas.Fill(Disc(16, 16, 13.5), 0xDC3232);
      canvas.Fill(
          Union({Capsule(10.5, 10.5, 21.5, 21.5, 2.1), Capsule(21.5, 10.5, 10.5, 21.5, 2.1)}),
          kWhite);
      break;
    }
    case 32514:  // IDI_QUESTION
      canvas.Fill(Disc(16, 16, 14.5), 0x1C4E9C);
      canvas.Fill(Disc(16, 16, 13.5), 0x3278DC);
      canvas.Fill(QuestionMark(16, 6.5, 1.0, 1.9), kWhite);
      break;
    case 32515: {  // IDI_WARNING
      Points triangle = {{16, 2}, {30.5, 28.5}, {1.5, 28.5}};
      canvas.Fill(Grow(Polygon(triangle), 0.3), 0x9A7000);
      canvas.Fill(Grow(Polygon(triangle), -0.9), 0xFACC28);
      canvas.Fill(Union({Capsule(16, 11, 16, 19.5, 1.8), Disc(16, 24.5, 1.9)}), kBlack);
      break;
    }
    case 32516:  // IDI_INFORMATION
      canvas.Fill(Disc(16, 16, 14.5), 0x1C4E9C);
      canvas.Fill(Disc(16, 16, 13.5), 0x3278DC);
      canvas.Fill(Union({Disc(16, 9, 2.2), Capsule(16, 14, 16, 24, 2.0)}), kWhite);
      break;
    default:
      return {};
  }
  return canvas.Finish({kSize / 2, kSize / 2});
}

}  // namespace

bool StandardIconPixels(unsigned id, bool cursor, IconPixels* out) {
  IconPixels pixels = cursor ? DrawCursor(id) : DrawIconImage(id);
  if (pixels.width == 0) return false;
  *out = std::move(pixels);
  return true;
}

}  // namespace platform::gdi
