// Unit records and menu-item records as they lie in a window's unit table, and the views
// that walk them. A record is a run of variable-length fields (two zero-terminated texts, a
// child list, a cursor buffer, a tag text, event bindings), so the position of every later
// field depends on the earlier ones. A view walks the record once, checking every field
// against the record's length, and keeps the positions it found; after that its accessors
// read only inside the record. A view points into its template's unit table and is stale
// once the template changes a record's length (tag, cursor data, menu caption, removal).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forms/data/Archive.h"
#include "forms/data/UnitId.h"

namespace forms {

// Unit state flags (record field 21).
inline constexpr uint32_t kUnitVisible = 0x1;
inline constexpr uint32_t kUnitDisabled = 0x2;
inline constexpr uint32_t kUnitTabStop = 0x4;

// Menu-item state flags.
inline constexpr uint32_t kMenuHidden = 0x1;
inline constexpr uint32_t kMenuDisabled = 0x2;
inline constexpr uint32_t kMenuChecked = 0x4;

// The handler offset that stands for "no handler".
inline constexpr int32_t kNoHandler = -1;

// Bytes of the fixed head (type, shared-events unit, four reserved words) that every record
// starts with, and of the reserved runs after a unit's bindings and after a menu item.
inline constexpr size_t kRecordHeadBytes = 24;
inline constexpr size_t kUnitTailReservedBytes = 20;
inline constexpr size_t kMenuTailReservedBytes = 16;

struct EventBinding {
  int32_t event = 0;
  int32_t handlerOffset = kNoHandler;
  bool operator==(const EventBinding&) const = default;
};

// Every field of a unit record, for building one (the form compiler, units added at run time)
// and for copying one out.
struct UnitRecordFields {
  UnitTypeId type = 0;
  UnitId sharedEvents = 0;
  std::array<uint32_t, 4> reserved{};
  std::string name;
  std::string remark;
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  UnitId container = 0;
  std::vector<UnitId> children;  // 0 entries separate the pages of a paged container
  Bytes cursor = Bytes(4, 0);    // four zero bytes: the standard cursor
  std::string tag;
  uint32_t reservedBeforeFlags = 0;
  uint32_t stateFlags = kUnitVisible;
  uint32_t reservedAfterFlags = 0;
  std::vector<EventBinding> bindings;
  std::array<uint8_t, kUnitTailReservedBytes> tailReserved{};
  Bytes typeBlock;
  bool operator==(const UnitRecordFields&) const = default;
};

struct MenuItemFields {
  UnitTypeId type = kTypeMenu;
  UnitId sharedEvents = 0;
  std::array<uint32_t, 4> reserved{};
  std::string name;
  std::string remark;
  uint32_t shortcut = 0;  // 0 none, 1-77 an entry of the runtime's shortcut-key table
  uint32_t level = 0;     // 0 menu bar, 1 popup under the last level-0 item, ...
  uint32_t stateFlags = 0;
  std::string caption;
  int32_t handlerOffset = kNoHandler;
  std::array<uint8_t, kMenuTailReservedBytes> tailReserved{};
  bool operator==(const MenuItemFields&) const = default;
};

Bytes BuildUnitRecord(const UnitRecordFields& fields);
Bytes BuildMenuItemRecord(const MenuItemFields& fields);

// What unit records and menu-item records share: the head and the two texts after it.
class RecordViewBase {
 public:
  UnitTypeId Type() const { return Word(0); }
  UnitId SharedEventsUnit() const { return Word(4); }
  uint32_t HeadReserved(size_t i) const { return Word(8 + 4 * i); }
  std::string_view Name() const { return Text(kRecordHeadBytes, nameLength_); }
  std::string_view Remark() const { return Text(remarkAt_, remarkLength_); }
  size_t Size() const { return size_; }

 protected:
  // Walks the head and the two texts; the reader is left after the remark.
  bool ParseHead(std::span<const uint8_t> record, ArchiveReader& reader);
  uint32_t Word(size_t at) const { return LoadU32(rec_ + at); }
  std::string_view Text(size_t at, size_t length) const {
    return {reinterpret_cast<const char*>(rec_ + at), length};
  }

  const uint8_t* rec_ = nullptr;
  size_t size_ = 0;
  size_t nameLength_ = 0;
  size_t remarkAt_ = 0;
  size_t remarkLength_ = 0;
};

class UnitRecordView : public RecordViewBase {
 public:
  UnitRecordView() = default;
  // False when the record is too short for any of its fields.
  static bool Parse(std::span<const uint8_t> record, UnitRecordView& out);

  int32_t Left() const { return static_cast<int32_t>(Word(LeftOffset())); }
  int32_t Top() const { return static_cast<int32_t>(Word(TopOffset())); }
  int32_t Width() const { return static_cast<int32_t>(Word(WidthOffset())); }
  int32_t Height() const { return static_cast<int32_t>(Word(HeightOffset())); }
  UnitId Container() const { return Word(slotAt_ + 24); }
  uint32_t ChildCount() const { return childCount_; }
  UnitId Child(size_t i) const { return Word(slotAt_ + 32 + 4 * i); }
  std::vector<UnitId> Children() const;
  std::span<const uint8_t> CursorData() const { return {rec_ + cursorAt_ + 4, cursorLength_}; }
  std::string_view Tag() const { return Text(tagAt_, tagLength_); }
  uint32_t StateFlags() const { return Word(StateFlagsOffset()); }
  bool Visible() const { return (StateFlags() & kUnitVisible) != 0; }
  bool Disabled() const { return (StateFlags() & kUnitDisabled) != 0; }
  bool TabStop() const { return (StateFlags() & kUnitTabStop) != 0; }
  uint32_t EventCount() const { return eventCount_; }
  EventBinding Binding(size_t i) const;
  std::span<const uint8_t> TypeBlock() const { return {rec_ + typeBlockAt_, size_ - typeBlockAt_}; }
  UnitRecordFields Fields() const;

  // Positions inside the record, for the template's in-place writes.
  size_t LeftOffset() const { return slotAt_ + 4; }
  size_t TopOffset() const { return slotAt_ + 8; }
  size_t WidthOffset() const { return slotAt_ + 12; }
  size_t HeightOffset() const { return slotAt_ + 16; }
  size_t ContainerOffset() const { return slotAt_ + 24; }
  size_t ChildCountOffset() const { return slotAt_ + 28; }
  size_t CursorOffset() const { return cursorAt_; }  // at the buffer's byte count
  size_t CursorLength() const { return cursorLength_; }
  size_t TagOffset() const { return tagAt_; }
  size_t TagLength() const { return tagLength_; }  // without the terminator
  size_t StateFlagsOffset() const { return tagAt_ + tagLength_ + 1 + 4; }
  size_t BindingsOffset() const { return tagAt_ + tagLength_ + 1 + 16; }

 private:
  size_t slotAt_ = 0;
  uint32_t childCount_ = 0;
  size_t cursorAt_ = 0;
  size_t cursorLength_ = 0;
  size_t tagAt_ = 0;
  size_t tagLength_ = 0;
  uint32_t eventCount_ = 0;
  size_t typeBlockAt_ = 0;
};

class MenuItemRecordView : public RecordViewBase {
 public:
  MenuItemRecordView() = default;
  static bool Parse(std::span<const uint8_t> record, MenuItemRecordView& out);

  uint32_t Shortcut() const { return Word(wordsAt_); }
  uint32_t Level() const { return Word(wordsAt_ + 4); }
  uint32_t StateFlags() const { return Word(StateFlagsOffset()); }
  bool Hidden() const { return (StateFlags() & kMenuHidden) != 0; }
  bool Disabled() const { return (StateFlags() & kMenuDisabled) != 0; }
  bool Checked() const { return (StateFlags() & kMenuChecked) != 0; }
  std::string_view Caption() const { return Text(CaptionOffset(), captionLength_); }
  int32_t HandlerOffset() const { return static_cast<int32_t>(Word(HandlerFieldOffset())); }
  MenuItemFields Fields() const;

  size_t StateFlagsOffset() const { return wordsAt_ + 8; }
  size_t CaptionOffset() const { return wordsAt_ + 12; }
  size_t CaptionLength() const { return captionLength_; }
  size_t HandlerFieldOffset() const { return CaptionOffset() + captionLength_ + 1; }

 private:
  size_t wordsAt_ = 0;
  size_t captionLength_ = 0;
};

}  // namespace forms
