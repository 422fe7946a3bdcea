// One stored window: the template words and texts, and its unit table kept whole as it came
// from the form data (ids, offsets, then the length-prefixed records). Records are never
// copied out; views walk them in place.
//
// The stored layout has 32-bit slots for the live unit object, the cursor handle and the
// fixed-up handler addresses, which cannot hold 64-bit pointers. Those slots stay as they are
// in the table, and the run-time values live beside it in one `UnitRuntime` per unit, in
// table order, kept in step by every change to the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forms/data/Archive.h"
#include "forms/data/UnitId.h"
#include "forms/data/UnitRecord.h"
#include "platform/wingdi.h"
#include "runtime/image/HandlerTable.h"

namespace forms {

// The application's handler table as the form data's offsets are resolved against it.
// `count` bounds the offsets so that a corrupt offset fails the load instead of reading past
// the table; kUnknownHandlerCount checks only the sign and the entry alignment.
inline constexpr uint32_t kUnknownHandlerCount = 0xFFFFFFFF;
struct HandlerTableRef {
  const void* codeBase = nullptr;
  uint32_t count = kUnknownHandlerCount;
};

// Run-time state of one unit, in place of the record's address slots.
struct UnitRuntime {
  void* object = nullptr;    // the live unit object (record field 9), null when not created
  HCURSOR cursor = nullptr;  // the cursor made from the record's cursor data (field 14)
  // One resolved handler per event binding in stored order (a menu item has exactly one);
  // null where the stored offset is −1. Offset 0 is the handler at the code base itself.
  std::vector<rt::EventHandler> handlers;
};

// What a template is written from (the form compiler, tests).
struct WindowImage {
  UnitId windowId = 0;
  uint32_t wordA = 0;
  uint32_t wordB = 0;
  std::string text1;
  std::string text2;
  struct Entry {
    UnitId id = 0;
    Bytes record;
  };
  std::vector<Entry> units;  // entry 0 is the window's own unit
};

// Ids, offsets and length-prefixed records, in entry order.
Bytes BuildUnitTable(std::span<const WindowImage::Entry> units);
// The window directory: the ids, then as many slots (0 in stored data).
void WriteWindowDirectory(ArchiveWriter& writer, std::span<const UnitId> windowIds);
// The whole form-data block: the window directory (slots written as 0), then the templates.
Bytes BuildFormData(std::span<const WindowImage> windows);

class FormTemplate {
 public:
  // Reads one template (words A and B, the two texts, the unit count and the unit table)
  // and walks every record; null when anything is out of bounds or malformed.
  static std::unique_ptr<FormTemplate> Read(ArchiveReader& reader, UnitId windowId);
  // Resolves every binding's offset into `UnitRuntime::handlers`; false on an offset that
  // does not name an entry of the table.
  bool ResolveHandlers(const HandlerTableRef& table);

  UnitId WindowId() const { return windowId_; }
  uint32_t WordA() const { return wordA_; }
  uint32_t WordB() const { return wordB_; }
  const std::string& Text1() const { return text1_; }
  const std::string& Text2() const { return text2_; }

  size_t UnitCount() const { return runtime_.size(); }
  UnitId UnitIdAt(size_t index) const;
  // The entry of a unit id; id 0 stands for entry 0, the window's own unit.
  std::optional<size_t> FindUnit(UnitId id) const;
  bool IsMenuItem(size_t index) const { return IsMenuItemId(UnitIdAt(index)); }
  // Views of entry `index`; Unit() is for every entry that is not a menu item, MenuItem()
  // for menu items. Both stay valid until the next change of a record's length.
  UnitRecordView Unit(size_t index) const;
  MenuItemRecordView MenuItem(size_t index) const;
  std::span<const uint8_t> Record(size_t index) const;
  std::span<const uint8_t> UnitTable() const { return table_; }

  UnitRuntime& Runtime(size_t index) { return runtime_[index]; }
  const UnitRuntime& Runtime(size_t index) const { return runtime_[index]; }
  // The handler bound to an event of a unit: for a menu item its single handler (whatever
  // the event), otherwise the first binding with that event number. Null when none.
  rt::EventHandler FindHandler(size_t index, int32_t event) const;

  // In-place writes of fixed-size fields.
  void SetLeft(size_t index, int32_t v) { WriteUnitWord(index, &UnitRecordView::LeftOffset, v); }
  void SetTop(size_t index, int32_t v) { WriteUnitWord(index, &UnitRecordView::TopOffset, v); }
  void SetWidth(size_t index, int32_t v) { WriteUnitWord(index, &UnitRecordView::WidthOffset, v); }
  void SetHeight(size_t index, int32_t v) {
    WriteUnitWord(index, &UnitRecordView::HeightOffset, v);
  }
  void SetStateFlags(size_t index, uint32_t flags) {
    WriteUnitWord(index, &UnitRecordView::StateFlagsOffset, static_cast<int32_t>(flags));
  }
  void SetMenuStateFlags(size_t index, uint32_t flags);

  // Changes that move the rest of the table: the record grows or shrinks in place and the
  // offsets of the records behind it follow. A text is cut at its first zero byte.
  void SetTag(size_t index, std::string_view tag);
  void SetCursorData(size_t index, std::span<const uint8_t> cursor);
  void SetMenuCaption(size_t index, std::string_view caption);

  // Removes a unit's entry and record, its run-time state, and its id from its container's
  // child list (entry 0's list when the container is 0). Entry 0 cannot be removed.
  bool RemoveUnit(size_t index);
  // Appends a unit built at run time (not a menu item) and lists it with its container
  // (units held by the window itself are not listed anywhere).
  // Its bindings are resolved against the table the template was loaded with. Fails on an
  // id that is not a unit id, is already present, or bindings that do not resolve.
  std::optional<size_t> AddUnit(UnitId id, const UnitRecordFields& fields);

  // The template as it is stored in form data, with the current records.
  void Write(ArchiveWriter& writer) const;

 private:
  FormTemplate() = default;
  bool ValidateTable(uint32_t unitCount);
  size_t RecordsStart() const { return 8 * runtime_.size(); }
  uint32_t OffsetAt(size_t index) const;
  size_t RecordPosition(size_t index) const { return RecordsStart() + OffsetAt(index) + 4; }
  bool ResolveUnit(size_t index, std::vector<rt::EventHandler>& out) const;
  void WriteUnitWord(size_t index, size_t (UnitRecordView::*field)() const, int32_t value);
  void ReplaceInRecord(size_t index, size_t at, size_t oldLength, std::span<const uint8_t> bytes);
  void RemoveChildFromList(size_t containerIndex, UnitId child);

  UnitId windowId_ = 0;
  uint32_t wordA_ = 0;
  uint32_t wordB_ = 0;
  std::string text1_;
  std::string text2_;
  Bytes table_;
  std::vector<UnitRuntime> runtime_;
  HandlerTableRef handlerTable_;
};

}  // namespace forms
