// The form compiler: readable window sources (JSON, UTF-8) in, the form-data block of the
// program image out, together with the C++ that links it and the handler table into the
// program. The source format is described in README.md beside this file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/data/Archive.h"

namespace formc {

// A source that cannot be compiled. The message names the file, the window and the unit.
struct CompileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct SourceFile {
  std::string path;  // named in messages; pictures and sounds are found relative to it
  std::string text;
};

struct CompiledForms {
  forms::Bytes formData;
  uint32_t lastIdNumber = 0;        // the highest serial number any id uses
  std::vector<std::string> inputs;  // every file read besides the sources (for rebuilds)
};

// Handler names, one per line in table order; blank lines and lines starting with '#' are
// skipped. Names are C++ function names, qualified or not, each listed once.
std::vector<std::string> ParseHandlerList(const std::string& text, const std::string& path);

CompiledForms Compile(const std::vector<SourceFile>& sources,
                      const std::vector<std::string>& handlers);

// The C++ source that defines, in namespace `ns`, kFormData and kFormDataSize (the bytes are
// assembled from `dataPath`), kHandlerTable and kHandlerCount (from declarations of every
// listed handler, so that a missing one fails the link) and kLastIdNumber.
std::string GenerateSource(const std::string& ns, const std::vector<std::string>& handlers,
                           const CompiledForms& forms, const std::string& dataPath,
                           const std::string& headerName);
std::string GenerateHeader(const std::string& ns);

}  // namespace formc
