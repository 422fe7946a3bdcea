#include "platform/gdi/GdiObjects.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/BitmapSelection.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/StockObjects.h"

namespace platform::gdi {

namespace {

// GDI handles live above every kernel handle value (the kernel table hands out multiples of
// 4 below 0x01000004), so a kernel handle passed to a GDI function is recognised as foreign.
constexpr uintptr_t kFirstHandle = 0x02000000;
constexpr uint32_t kCapacity = 1u << 22;
// Freed slots are reused only once this many are waiting, so a stale handle does not name a
// new object straight away.
constexpr size_t kReuseThreshold = 64;

class HandleTable {
 public:
  HGDIOBJ Insert(std::shared_ptr<GdiObject> object) {
    if (!object) return nullptr;
    std::vector<std::shared_ptr<GdiObject>> released;  // destroyed after the lock is let go
    std::lock_guard lock(mutex_);
    if (!retired_.empty() && ++insertsSinceSweep_ >= kReuseThreshold) SweepRetired(&released);
    uint32_t slot;
    if (freeSlots_.size() > kReuseThreshold ||
        (!freeSlots_.empty() && slots_.size() >= kCapacity)) {
      slot = freeSlots_.front();
      freeSlots_.pop_front();
    } else if (slots_.size() < kCapacity) {
      slot = static_cast<uint32_t>(slots_.size());
      slots_.emplace_back();
    } else {
      return nullptr;
    }
    index_[object.get()] = slot;
    slots_[slot] = Slot{std::move(object), false};
    return ValueOf(slot);
  }

  std::shared_ptr<GdiObject> Lookup(HGDIOBJ handle) const {
    std::lock_guard lock(mutex_);
    size_t slot;
    if (!SlotOf(handle, &slot) || slots_[slot].retired) return nullptr;
    return slots_[slot].object;
  }

  std::shared_ptr<GdiObject> Remove(HGDIOBJ handle) {
    std::lock_guard lock(mutex_);
    size_t slot;
    if (!SlotOf(handle, &slot) || !slots_[slot].object || slots_[slot].retired) return nullptr;
    return Free(slot);
  }

  // Deletes an object that DCs may still hold. Until the last of them lets go, the handle
  // stays reserved so that SelectObject can still hand it back, as Windows does with objects
  // deleted while selected; it no longer names a usable object.
  std::shared_ptr<GdiObject> RemoveWhenUnused(HGDIOBJ handle) {
    std::lock_guard lock(mutex_);
    size_t slot;
    if (!SlotOf(handle, &slot) || !slots_[slot].object || slots_[slot].retired) return nullptr;
    if (slots_[slot].object.use_count() == 1) return Free(slot);
    slots_[slot].retired = true;
    retired_.push_back(static_cast<uint32_t>(slot));
    return slots_[slot].object;
  }

  HGDIOBJ HandleOf(const GdiObject* object) const {
    if (object == nullptr) return nullptr;
    std::lock_guard lock(mutex_);
    auto it = index_.find(object);
    return it == index_.end() ? nullptr : ValueOf(it->second);
  }

 private:
  struct Slot {
    std::shared_ptr<GdiObject> object;
    bool retired = false;
  };

  static HGDIOBJ ValueOf(size_t slot) {
    return reinterpret_cast<HGDIOBJ>(kFirstHandle + static_cast<uintptr_t>(slot) * 4);
  }

  bool SlotOf(HGDIOBJ handle, size_t* slot) const {
    auto value = reinterpret_cast<uintptr_t>(handle);
    if (value < kFirstHandle || (value - kFirstHandle) % 4 != 0) return false;
    *slot = (value - kFirstHandle) / 4;
    return *slot < slots_.size() && slots_[*slot].object != nullptr;
  }

  std::shared_ptr<GdiObject> Free(size_t slot) {
    std::shared_ptr<GdiObject> object = std::move(slots_[slot].object);
    slots_[slot] = Slot{};
    index_.erase(object.get());
    freeSlots_.push_back(static_cast<uint32_t>(slot));
    return object;
  }

  void SweepRetired(std::vector<std::shared_ptr<GdiObject>>* released) {
    insertsSinceSweep_ = 0;
    std::vector<uint32_t> still;
    for (uint32_t slot : retired_) {
      if (slots_[slot].object.use_count() == 1) {
        released->push_back(Free(slot));
      } else {
        still.push_back(slot);
      }
    }
    retired_ = std::move(still);
  }

  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  std::deque<uint32_t> freeSlots_;
  std::unordered_map<const GdiObject*, uint32_t> index_;
  std::vector<uint32_t> retired_;
  size_t insertsSinceSweep_ = 0;
};

HandleTable& Table() {
  // Never destroyed: objects may be released by threads still running at exit.
  static HandleTable* table = new HandleTable();
  return *table;
}

template <class T>
int CopyOut(const T& value, int size, void* buffer) {
  if (buffer == nullptr) return static_cast<int>(sizeof(T));
  if (size <= 0) return 0;
  size_t n = std::min(static_cast<size_t>(size), sizeof(T));
  std::memcpy(buffer, &value, n);
  return static_cast<int>(n);
}

// The 32-bit BITMAP record (24 bytes) that callers built for a 32-bit process may still pass.
constexpr int kBitmap32Size = 24;

BITMAP BitmapRecord(const BitmapObject& bitmap) {
  BITMAP bm{};
  const Surface& s = *bitmap.surface;
  bm.bmType = 0;
  bm.bmWidth = s.width();
  bm.bmHeight = s.height();
  // Device bitmaps report rows padded to 2 bytes, as their bits are exchanged through
  // CreateBitmap and GetBitmapBits; DIB sections report their real stride.
  bm.bmWidthBytes = bitmap.dibSection ? s.stride() : ((s.width() * s.bitCount() + 15) / 16) * 2;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(s.bitCount());
  bm.bmBits = bitmap.dibSection ? const_cast<uint8_t*>(s.bits()) : nullptr;
  return bm;
}

int GetBitmapObject(const BitmapObject& bitmap, int size, void* buffer) {
  if (!bitmap.surface) return 0;
  if (buffer == nullptr) return bitmap.dibSection ? sizeof(DIBSECTION) : sizeof(BITMAP);
  BITMAP bm = BitmapRecord(bitmap);
  if (bitmap.dibSection && size >= static_cast<int>(sizeof(DIBSECTION))) {
    DIBSECTION ds{};
    ds.dsBm = bm;
    ds.dsBmih = bitmap.dibHeader;
    if (bitmap.surface->bitCount() == 16 || bitmap.surface->bitCount() == 32) {
      std::memcpy(ds.dsBitfields, bitmap.surface->masks(), sizeof(ds.dsBitfields));
    }
    ds.dshSection = nullptr;
    ds.dsOffset = 0;
    std::memcpy(buffer, &ds, sizeof(ds));
    return sizeof(DIBSECTION);
  }
  if (size >= static_cast<int>(sizeof(BITMAP))) {
    std::memcpy(buffer, &bm, sizeof(bm));
    return sizeof(BITMAP);
  }
  if (size >= kBitmap32Size) {
    // Same fields up to bmBitsPixel; the 4-byte bits pointer of that layout cannot hold
    // ours and is left zero.
    std::memset(buffer, 0, kBitmap32Size);
    std::memcpy(buffer, &bm, offsetof(BITMAP, bmBitsPixel) + sizeof(WORD));
    return kBitmap32Size;
  }
  return 0;
}

}  // namespace

HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object) {
  return Table().Insert(std::move(object));
}

std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle) {
  return Table().Lookup(handle);
}

std::shared_ptr<GdiObject> RemoveObject(HGDIOBJ handle) {
  return Table().Remove(handle);
}

HGDIOBJ HandleOf(const GdiObject* object) {
  return Table().HandleOf(object);
}

std::shared_ptr<GdiObject> RemoveObjectWhenUnused(HGDIOBJ handle) {
  return Table().RemoveWhenUnused(handle);
}

}  // namespace platform::gdi

using namespace platform::gdi;

HGDIOBJ SelectObject(HDC dcHandle, HGDIOBJ handle) {
  auto dc = Lookup<DeviceContext>(dcHandle);
  std::shared_ptr<GdiObject> object = LookupObject(handle);
  if (!dc || !object) return nullptr;
  switch (object->Kind()) {
    case GdiKind::Bitmap: {
      auto bitmap = std::static_pointer_cast<BitmapObject>(object);
      std::shared_ptr<BitmapObject> previous = dc->state.bitmap;
      if (!SelectBitmap(*dc, bitmap)) return nullptr;
      return HandleOf(previous.get());
    }
    case GdiKind::Brush: {
      std::shared_ptr<BrushObject> previous = std::move(dc->state.brush);
      dc->state.brush = std::static_pointer_cast<BrushObject>(object);
      return HandleOf(previous.get());
    }
    case GdiKind::Pen: {
      std::shared_ptr<PenObject> previous = std::move(dc->state.pen);
      dc->state.pen = std::static_pointer_cast<PenObject>(object);
      return HandleOf(previous.get());
    }
    case GdiKind::Font: {
      std::shared_ptr<FontObject> previous = std::move(dc->state.font);
      dc->state.font = std::static_pointer_cast<FontObject>(object);
      return HandleOf(previous.get());
    }
    case GdiKind::Region: {
      int complexity = SelectClipRgn(dcHandle, handle);
      if (complexity == ERROR) return HGDI_ERROR;
      return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(complexity));
    }
    default:
      return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ handle) {
  std::shared_ptr<GdiObject> object = LookupObject(handle);
  if (!object) return FALSE;
  if (object->stock) return TRUE;
  switch (object->Kind()) {
    case GdiKind::Bitmap:
      if (IsBitmapSelected(static_cast<const BitmapObject&>(*object))) return FALSE;
      object.reset();
      return RemoveObject(handle) ? TRUE : FALSE;
    case GdiKind::Brush:
    case GdiKind::Pen:
    case GdiKind::Font:
      object.reset();
      return RemoveObjectWhenUnused(handle) ? TRUE : FALSE;
    case GdiKind::Region:
    case GdiKind::Palette:
      object.reset();
      return RemoveObject(handle) ? TRUE : FALSE;
    default:
      // DCs go through DeleteDC and icons through DestroyIcon.
      return FALSE;
  }
}

HGDIOBJ GetCurrentObject(HDC dcHandle, UINT type) {
  auto dc = Lookup<DeviceContext>(dcHandle);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return HandleOf(dc->state.pen.get());
    case OBJ_BRUSH:
      return HandleOf(dc->state.brush.get());
    case OBJ_FONT:
      return HandleOf(dc->state.font.get());
    case OBJ_BITMAP:
      return HandleOf(dc->state.bitmap.get());
    case OBJ_PAL:
      return StockObjectHandle(DEFAULT_PALETTE);
    default:
      return nullptr;
  }
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) {
  std::shared_ptr<GdiObject> object = LookupObject(handle);
  if (!object) return 0;
  switch (object->Kind()) {
    case GdiKind::Bitmap:
      return GetBitmapObject(static_cast<const BitmapObject&>(*object), size, buffer);
    case GdiKind::Brush: {
      const auto& brush = static_cast<const BrushObject&>(*object);
      LOGBRUSH lb = brush.logBrush;
      if (brush.sysColorIndex >= 0) lb.lbColor = GetSysColor(brush.sysColorIndex);
      return CopyOut(lb, size, buffer);
    }
    case GdiKind::Pen:
      return CopyOut(static_cast<const PenObject&>(*object).logPen, size, buffer);
    case GdiKind::Font:
      return CopyOut(static_cast<const FontObject&>(*object).logFont, size, buffer);
    case GdiKind::Palette: {
      auto count = static_cast<WORD>(static_cast<const PaletteObject&>(*object).entries.size());
      return CopyOut(count, size, buffer);
    }
    default:
      return 0;
  }
}

DWORD GetObjectType(HGDIOBJ handle) {
  std::shared_ptr<GdiObject> object = LookupObject(handle);
  if (!object) return 0;
  switch (object->Kind()) {
    case GdiKind::Bitmap:
      return OBJ_BITMAP;
    case GdiKind::Brush:
      return OBJ_BRUSH;
    case GdiKind::Pen:
      return OBJ_PEN;
    case GdiKind::Font:
      return OBJ_FONT;
    case GdiKind::Region:
      return OBJ_REGION;
    case GdiKind::Palette:
      return OBJ_PAL;
    case GdiKind::DC:
      return static_cast<const DeviceContext&>(*object).isMemoryDC ? OBJ_MEMDC : OBJ_DC;
    default:
      // Icons and cursors are window-manager objects on Windows, not GDI objects.
      return 0;
  }
}

HGDIOBJ GetStockObject(int index) {
  return StockObjectHandle(index);
}
