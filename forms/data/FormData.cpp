#include "forms/data/FormData.h"

#include <utility>

#include "forms/data/Archive.h"

namespace forms {

bool FormData::Read(const void* data, size_t size, const HandlerTableRef& handlers) {
  Clear();
  if (size == 0) return true;
  if (data == nullptr) return false;
  ArchiveReader reader(static_cast<const uint8_t*>(data), size);
  std::span<const uint8_t> directory;
  if (!reader.ReadBufferView(directory)) return false;
  // The directory's second half holds template addresses at run time; it is never read.
  size_t count = directory.size() / 8;
  std::vector<std::unique_ptr<FormTemplate>> templates;
  templates.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    auto t = FormTemplate::Read(reader, LoadU32(directory.data() + 4 * i));
    if (!t || !t->ResolveHandlers(handlers)) return false;
    templates.push_back(std::move(t));
  }
  templates_ = std::move(templates);
  return true;
}

void FormData::Clear() {
  templates_.clear();
}

Bytes FormData::Write() const {
  std::vector<UnitId> ids;
  for (const auto& t : templates_) ids.push_back(t->WindowId());
  ArchiveWriter w;
  WriteWindowDirectory(w, ids);
  for (const auto& t : templates_) t->Write(w);
  return w.Take();
}

FormTemplate* FormData::Find(UnitId windowId) {
  for (auto& t : templates_) {
    if (t->WindowId() == windowId) return t.get();
  }
  return nullptr;
}

const FormTemplate* FormData::Find(UnitId windowId) const {
  return const_cast<FormData*>(this)->Find(windowId);
}

FormData& LoadedForms() {
  static FormData forms;
  return forms;
}

namespace {

std::vector<HandlerTableRef>& RegisteredTables() {
  static std::vector<HandlerTableRef> tables;
  return tables;
}

}  // namespace

void RegisterHandlerTable(const rt::HandlerEntry* table, uint32_t count) {
  for (HandlerTableRef& known : RegisteredTables()) {
    if (known.codeBase == table) {
      known.count = count;
      return;
    }
  }
  RegisteredTables().push_back({table, count});
}

bool ReadFormData(const void* data, uint32_t size, const void* codeBase) {
  uint32_t count = kUnknownHandlerCount;
  for (const HandlerTableRef& known : RegisteredTables()) {
    if (known.codeBase == codeBase) count = known.count;
  }
  return LoadedForms().Read(data, size, {codeBase, count});
}

bool ReadFormData(const void* data, uint32_t size, const void* codeBase, uint32_t handlerCount) {
  return LoadedForms().Read(data, size, {codeBase, handlerCount});
}

}  // namespace forms
