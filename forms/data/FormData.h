// The window templates of the program, read once from the form-data block of the image:
// the window directory (window id → template, in directory order) and one `FormTemplate`
// per window. The runtime reads them at start through its forms hook; the forms engine then
// finds windows here by id or by directory position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "forms/data/FormTemplate.h"
#include "forms/data/UnitId.h"

namespace forms {

class FormData {
 public:
  // Reads the whole block: the directory, then every template in directory order, then
  // resolves every handler offset against the handler table. On failure nothing is kept
  // and the result is false. A size of 0 reads no windows and succeeds.
  bool Read(const void* data, size_t size, const HandlerTableRef& handlers);
  void Clear();
  // The block as it would be stored now, with the current records.
  Bytes Write() const;

  size_t WindowCount() const { return templates_.size(); }
  FormTemplate& WindowAt(size_t position) { return *templates_[position]; }
  const FormTemplate& WindowAt(size_t position) const { return *templates_[position]; }
  // The first template with that window id, or null.
  FormTemplate* Find(UnitId windowId);
  const FormTemplate* Find(UnitId windowId) const;

 private:
  std::vector<std::unique_ptr<FormTemplate>> templates_;
};

// The program's form data, as read at start.
FormData& LoadedForms();

// Makes a handler table's length known, so that reading form data against it can refuse an
// offset past its end instead of reading there. The sources formc generates register the
// program's table before main.
void RegisterHandlerTable(const rt::HandlerEntry* table, uint32_t count);

// Fills LoadedForms() from a form-data block; the runtime's hook for reading form data.
// Offsets are bounded by the length registered for `codeBase`; against a table that was
// never registered only their sign and alignment can be checked. The four-argument form is
// for callers that pass the length themselves.
bool ReadFormData(const void* data, uint32_t size, const void* codeBase);
bool ReadFormData(const void* data, uint32_t size, const void* codeBase, uint32_t handlerCount);

}  // namespace forms
