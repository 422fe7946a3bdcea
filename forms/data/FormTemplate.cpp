#include "forms/data/FormTemplate.h"

#include <algorithm>
#include <utility>

namespace forms {

Bytes BuildUnitTable(std::span<const WindowImage::Entry> units) {
  ArchiveWriter w;
  for (const auto& unit : units) w.WriteU32(unit.id);
  uint32_t offset = 0;
  for (const auto& unit : units) {
    w.WriteU32(offset);
    offset += 4 + static_cast<uint32_t>(unit.record.size());
  }
  for (const auto& unit : units) w.WriteBuffer(unit.record);
  return w.Take();
}

void WriteWindowDirectory(ArchiveWriter& w, std::span<const UnitId> windowIds) {
  ArchiveWriter directory;
  for (UnitId id : windowIds) directory.WriteU32(id);
  directory.WriteZeros(4 * windowIds.size());
  w.WriteBuffer(directory.Data());
}

namespace {

void WriteTemplate(ArchiveWriter& w, uint32_t wordA, uint32_t wordB, std::string_view text1,
                   std::string_view text2, size_t unitCount, std::span<const uint8_t> table) {
  w.WriteU32(wordA);
  w.WriteU32(wordB);
  w.WriteText(text1);
  w.WriteText(text2);
  w.WriteU32(static_cast<uint32_t>(unitCount));
  w.WriteBuffer(table);
}

}  // namespace

Bytes BuildFormData(std::span<const WindowImage> windows) {
  std::vector<UnitId> ids;
  for (const auto& window : windows) ids.push_back(window.windowId);
  ArchiveWriter w;
  WriteWindowDirectory(w, ids);
  for (const auto& window : windows) {
    WriteTemplate(w, window.wordA, window.wordB, window.text1, window.text2, window.units.size(),
                  BuildUnitTable(window.units));
  }
  return w.Take();
}

std::unique_ptr<FormTemplate> FormTemplate::Read(ArchiveReader& reader, UnitId windowId) {
  std::unique_ptr<FormTemplate> t(new FormTemplate);
  t->windowId_ = windowId;
  uint32_t unitCount = 0;
  if (!reader.ReadU32(t->wordA_) || !reader.ReadU32(t->wordB_) || !reader.ReadText(t->text1_) ||
      !reader.ReadText(t->text2_) || !reader.ReadU32(unitCount) || !reader.ReadBuffer(t->table_)) {
    return nullptr;
  }
  if (!t->ValidateTable(unitCount)) return nullptr;
  return t;
}

// Every record must lie inside the table, walk cleanly, and not overlap another one (a
// record that grows would otherwise overwrite its neighbour). Entry 0 must be the window's
// own unit: loading builds the window from it.
bool FormTemplate::ValidateTable(uint32_t unitCount) {
  if (unitCount == 0 || table_.size() / 8 < unitCount) return false;
  runtime_.resize(unitCount);
  std::vector<std::pair<size_t, size_t>> spans;  // [start, end) of each length-prefixed record
  spans.reserve(unitCount);
  for (size_t i = 0; i < unitCount; ++i) {
    UnitId id = UnitIdAt(i);
    if (!IsUnitKind(id)) return false;
    size_t start = RecordsStart() + OffsetAt(i);
    if (start > table_.size() || table_.size() - start < 4) return false;
    uint32_t length = LoadU32(table_.data() + start);
    if (table_.size() - start - 4 < length) return false;
    spans.emplace_back(start, start + 4 + length);
    std::span<const uint8_t> record(table_.data() + start + 4, length);
    if (IsMenuItemId(id)) {
      MenuItemRecordView view;
      if (i == 0 || !MenuItemRecordView::Parse(record, view)) return false;
    } else {
      UnitRecordView view;
      if (!UnitRecordView::Parse(record, view)) return false;
      if (i == 0 && (view.Type() != kTypeWindow || !IsOwnUnitId(id))) return false;
    }
  }
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].first < spans[i - 1].second) return false;
  }
  return true;
}

UnitId FormTemplate::UnitIdAt(size_t index) const {
  return LoadU32(table_.data() + 4 * index);
}

uint32_t FormTemplate::OffsetAt(size_t index) const {
  return LoadU32(table_.data() + 4 * (runtime_.size() + index));
}

std::optional<size_t> FormTemplate::FindUnit(UnitId id) const {
  if (id == 0) return size_t{0};
  for (size_t i = 0; i < runtime_.size(); ++i) {
    if (UnitIdAt(i) == id) return i;
  }
  return std::nullopt;
}

std::span<const uint8_t> FormTemplate::Record(size_t index) const {
  size_t at = RecordPosition(index);
  return {table_.data() + at, LoadU32(table_.data() + at - 4)};
}

UnitRecordView FormTemplate::Unit(size_t index) const {
  UnitRecordView view;
  UnitRecordView::Parse(Record(index), view);  // cannot fail: the table was validated
  return view;
}

MenuItemRecordView FormTemplate::MenuItem(size_t index) const {
  MenuItemRecordView view;
  MenuItemRecordView::Parse(Record(index), view);
  return view;
}

namespace {

bool ResolveOffset(const HandlerTableRef& table, int32_t offset, rt::EventHandler& out) {
  out = nullptr;
  if (offset == kNoHandler) return true;
  constexpr int32_t kEntry = sizeof(rt::HandlerEntry);
  if (offset < 0 || offset % kEntry != 0) return false;
  if (table.count != kUnknownHandlerCount && static_cast<uint32_t>(offset / kEntry) >= table.count)
    return false;
  out = rt::ResolveHandler(table.codeBase, offset);
  return true;
}

}  // namespace

bool FormTemplate::ResolveUnit(size_t index, std::vector<rt::EventHandler>& out) const {
  if (IsMenuItem(index)) {
    out.resize(1);
    return ResolveOffset(handlerTable_, MenuItem(index).HandlerOffset(), out[0]);
  }
  UnitRecordView view = Unit(index);
  out.resize(view.EventCount());
  for (size_t b = 0; b < out.size(); ++b) {
    if (!ResolveOffset(handlerTable_, view.Binding(b).handlerOffset, out[b])) return false;
  }
  return true;
}

bool FormTemplate::ResolveHandlers(const HandlerTableRef& table) {
  handlerTable_ = table;
  for (size_t i = 0; i < runtime_.size(); ++i) {
    if (!ResolveUnit(i, runtime_[i].handlers)) return false;
  }
  return true;
}

rt::EventHandler FormTemplate::FindHandler(size_t index, int32_t event) const {
  const auto& handlers = runtime_[index].handlers;
  if (IsMenuItem(index)) return handlers.empty() ? nullptr : handlers[0];
  UnitRecordView view = Unit(index);
  for (size_t b = 0; b < handlers.size(); ++b) {
    if (view.Binding(b).event == event) return handlers[b];
  }
  return nullptr;
}

void FormTemplate::WriteUnitWord(size_t index, size_t (UnitRecordView::*field)() const,
                                 int32_t value) {
  size_t at = RecordPosition(index) + (Unit(index).*field)();
  StoreU32(table_.data() + at, static_cast<uint32_t>(value));
}

void FormTemplate::SetMenuStateFlags(size_t index, uint32_t flags) {
  size_t at = RecordPosition(index) + MenuItem(index).StateFlagsOffset();
  StoreU32(table_.data() + at, flags);
}

void FormTemplate::ReplaceInRecord(size_t index, size_t at, size_t oldLength,
                                   std::span<const uint8_t> bytes) {
  size_t recordAt = RecordPosition(index);
  uint32_t ownOffset = OffsetAt(index);
  auto first = table_.begin() + static_cast<ptrdiff_t>(recordAt + at);
  table_.erase(first, first + static_cast<ptrdiff_t>(oldLength));
  table_.insert(table_.begin() + static_cast<ptrdiff_t>(recordAt + at), bytes.begin(), bytes.end());
  int64_t delta = static_cast<int64_t>(bytes.size()) - static_cast<int64_t>(oldLength);
  uint32_t length = LoadU32(table_.data() + recordAt - 4);
  StoreU32(table_.data() + recordAt - 4, static_cast<uint32_t>(length + delta));
  size_t count = runtime_.size();
  for (size_t j = 0; j < count; ++j) {
    uint32_t offset = OffsetAt(j);
    if (offset > ownOffset) {
      StoreU32(table_.data() + 4 * (count + j), static_cast<uint32_t>(offset + delta));
    }
  }
}

namespace {

Bytes TerminatedText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

}  // namespace

void FormTemplate::SetTag(size_t index, std::string_view tag) {
  UnitRecordView view = Unit(index);
  ReplaceInRecord(index, view.TagOffset(), view.TagLength() + 1, TerminatedText(tag));
}

void FormTemplate::SetCursorData(size_t index, std::span<const uint8_t> cursor) {
  UnitRecordView view = Unit(index);
  ArchiveWriter w;
  w.WriteBuffer(cursor);
  ReplaceInRecord(index, view.CursorOffset(), 4 + view.CursorLength(), w.Data());
}

void FormTemplate::SetMenuCaption(size_t index, std::string_view caption) {
  MenuItemRecordView view = MenuItem(index);
  ReplaceInRecord(index, view.CaptionOffset(), view.CaptionLength() + 1, TerminatedText(caption));
}

void FormTemplate::RemoveChildFromList(size_t containerIndex, UnitId child) {
  if (IsMenuItem(containerIndex)) return;
  UnitRecordView view = Unit(containerIndex);
  std::vector<UnitId> children = view.Children();
  auto it = std::find(children.begin(), children.end(), child);
  if (it == children.end()) return;
  children.erase(it);
  ArchiveWriter w;
  w.WriteU32(static_cast<uint32_t>(children.size()));
  for (UnitId id : children) w.WriteU32(id);
  ReplaceInRecord(containerIndex, view.ChildCountOffset(), 4 + 4 * view.ChildCount(), w.Data());
}

bool FormTemplate::RemoveUnit(size_t index) {
  if (index == 0 || index >= runtime_.size()) return false;
  UnitId id = UnitIdAt(index);
  if (!IsMenuItem(index)) {
    std::optional<size_t> container = FindUnit(Unit(index).Container());
    if (container && *container != index) RemoveChildFromList(*container, id);
  }
  // Drop the record first; its offset is relative to the end of the offset array, which
  // moves by 8 bytes when the id and offset go, so the other offsets only shift by the
  // record's own size.
  size_t count = runtime_.size();
  uint32_t ownOffset = OffsetAt(index);
  size_t start = RecordPosition(index) - 4;
  size_t length = 4 + LoadU32(table_.data() + start);
  table_.erase(table_.begin() + static_cast<ptrdiff_t>(start),
               table_.begin() + static_cast<ptrdiff_t>(start + length));
  for (size_t j = 0; j < count; ++j) {
    uint32_t offset = OffsetAt(j);
    if (offset > ownOffset) {
      StoreU32(table_.data() + 4 * (count + j), static_cast<uint32_t>(offset - length));
    }
  }
  table_.erase(table_.begin() + static_cast<ptrdiff_t>(4 * (count + index)),
               table_.begin() + static_cast<ptrdiff_t>(4 * (count + index) + 4));
  table_.erase(table_.begin() + static_cast<ptrdiff_t>(4 * index),
               table_.begin() + static_cast<ptrdiff_t>(4 * index + 4));
  runtime_.erase(runtime_.begin() + static_cast<ptrdiff_t>(index));
  return true;
}

std::optional<size_t> FormTemplate::AddUnit(UnitId id, const UnitRecordFields& fields) {
  if (!IsWindowUnitId(id) || IsOwnUnitId(id) || FindUnit(id)) return std::nullopt;
  std::optional<size_t> container = FindUnit(fields.container);
  if (!container || IsMenuItem(*container)) return std::nullopt;
  Bytes record = BuildUnitRecord(fields);
  UnitRuntime state;
  {
    // Resolve first so that a bad binding leaves the template untouched.
    UnitRecordView view;
    UnitRecordView::Parse(record, view);
    state.handlers.resize(view.EventCount());
    for (size_t b = 0; b < state.handlers.size(); ++b) {
      if (!ResolveOffset(handlerTable_, view.Binding(b).handlerOffset, state.handlers[b]))
        return std::nullopt;
    }
  }
  size_t count = runtime_.size();
  uint32_t offset = static_cast<uint32_t>(table_.size() - RecordsStart());
  ArchiveWriter w;
  w.WriteBuffer(record);
  table_.insert(table_.end(), w.Data().begin(), w.Data().end());
  uint8_t word[4];
  StoreU32(word, offset);
  table_.insert(table_.begin() + static_cast<ptrdiff_t>(8 * count), word, word + 4);
  StoreU32(word, id);
  table_.insert(table_.begin() + static_cast<ptrdiff_t>(4 * count), word, word + 4);
  runtime_.push_back(std::move(state));

  if (fields.container != 0) {
    UnitRecordView parent = Unit(*container);
    uint32_t children = parent.ChildCount();
    size_t countAt = parent.ChildCountOffset();
    ArchiveWriter child;
    child.WriteU32(id);
    ReplaceInRecord(*container, countAt + 4 + 4 * size_t{children}, 0, child.Data());
    StoreU32(table_.data() + RecordPosition(*container) + countAt, children + 1);
  }
  return count;
}

void FormTemplate::Write(ArchiveWriter& w) const {
  WriteTemplate(w, wordA_, wordB_, text1_, text2_, runtime_.size(), table_);
}

}  // namespace forms
