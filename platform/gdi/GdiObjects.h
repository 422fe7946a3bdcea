// GDI objects and their handles. Handles are small integers from a table of their own
// (distinct from kernel handles), so a stale or foreign handle is recognised, never
// dereferenced. Objects are shared: a device context keeps what is selected into it alive
// even after the handle is deleted.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"
#include "platform/wingdi.h"

namespace platform::gdi {

enum class GdiKind { Bitmap, Brush, Pen, Font, Region, DC, Icon, Palette };

class GdiObject {
 public:
  virtual ~GdiObject() = default;
  virtual GdiKind Kind() const = 0;
  bool stock = false;  // stock objects ignore DeleteObject
};

class DeviceContext;

class BitmapObject : public GdiObject {
 public:
  GdiKind Kind() const override { return GdiKind::Bitmap; }
  std::shared_ptr<Surface> surface;
  bool dibSection = false;
  BITMAPINFOHEADER dibHeader{};  // for DIB sections: the header as created
  DWORD bitfields[3] = {0, 0, 0};
  DeviceContext* selectedInto = nullptr;  // a bitmap is selected into one DC at most
};

class BrushObject : public GdiObject {
 public:
  GdiKind Kind() const override { return GdiKind::Brush; }
  LOGBRUSH logBrush{};
  int sysColorIndex = -1;  // brushes of GetSysColorBrush follow the theme's colours
  bool dcBrush = false;    // DC_BRUSH: colour from the DC
};

class PenObject : public GdiObject {
 public:
  GdiKind Kind() const override { return GdiKind::Pen; }
  LOGPEN logPen{};
  bool dcPen = false;  // DC_PEN: colour from the DC
};

class FontObject : public GdiObject {
 public:
  GdiKind Kind() const override { return GdiKind::Font; }
  LOGFONTA logFont{};
};

class RegionObject : public GdiObject {
 public:
  GdiKind Kind() const override { return GdiKind::Region; }
  Region region;
};

// Icons and cursors: a colour image with its AND mask, or a 32-bit image with alpha.
class IconObject : public GdiObject {
 public:
  GdiKind Kind() const override { return GdiKind::Icon; }
  bool isIcon = true;
  POINT hotspot{0, 0};
  int width = 0;
  int height = 0;
  std::shared_ptr<Surface> color;  // 32-bit BGRA, top-down
  std::shared_ptr<Surface> mask;   // 1-bit AND mask, top-down
  bool hasAlpha = false;
};

// Handle table. Insert returns NULL when the table is full.
HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle);
// Removes and returns the object (its destructor runs outside the table lock).
std::shared_ptr<GdiObject> RemoveObject(HGDIOBJ handle);
// The handle of an object, or NULL when it has none (used for selecting back).
HGDIOBJ HandleOf(const GdiObject* object);

template <class T>
std::shared_ptr<T> Lookup(HGDIOBJ handle) {
  return std::dynamic_pointer_cast<T>(LookupObject(handle));
}

}  // namespace platform::gdi
