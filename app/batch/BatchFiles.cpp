#include "app/batch/BatchFiles.h"

#include <cstring>

#include "commands/system/SystemCommands.h"
#include "commands/text/TextCommands.h"
#include "libraries/ProgramDllCommands.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace app::batch {
namespace {

namespace Arg = rt::Arg;

// A text the runtime handed out, freed when done.
std::string TakeText(char* text) {
  std::string out = text != nullptr ? text : "";
  rt::FreeMem(text);
  return out;
}

// One step of the runtime's file search: a fresh name, or null when none is left. A null
// pattern continues the search held in `handle`.
char* FindEntry(const char* pattern, int32_t* handle) {
  // Every entry that is not a folder; "." and ".." are folders too.
  constexpr intptr_t kNoAttributes = 0;
  constexpr intptr_t kAllFiles = 1;
  return reinterpret_cast<char*>(
      rt::Services().auxDispatch(rt::kAuxFindFile, reinterpret_cast<intptr_t>(pattern),
                                 kNoAttributes, kAllFiles, reinterpret_cast<intptr_t>(handle)));
}

}  // namespace

int32_t ListFiles(const char* folder, const char* pattern, void** array, bool withPath) {
  std::string directory = folder;
  if (TakeText(static_cast<char*>(
          rt::Call(cmd::RightText, {Arg::Text(folder), Arg::Int(1)}).Pointer())) != "\\") {
    directory += "\\";
  }
  const std::string query = directory + pattern;
  int32_t handle = 0;
  int32_t appended = 0;
  for (char* name = FindEntry(query.c_str(), &handle); name != nullptr;
       name = FindEntry(nullptr, &handle)) {
    const std::string entry = withPath ? directory + name : std::string(name);
    rt::FreeMem(name);
    rt::AppendArrayText(array, entry.c_str());
    ++appended;
    if (libs::dll::GetInputState() != 0) rt::Call(cmd::ProcessEvents, {});
  }
  rt::Services().auxDispatch(rt::kAuxEndFind, handle, 0, 0, 0);
  return appended;
}

int32_t TextArrayCount(const void* array) {
  return static_cast<int32_t>(rt::ReadArrayShape(array).elementCount);
}

std::string TextArrayEntry(const void* array, int32_t i) {
  const rt::ArrayShape shape = rt::ReadArrayShape(array);
  if (i < 0 || static_cast<uint64_t>(i) >= shape.elementCount) return {};
  const auto* slot = static_cast<const uint8_t*>(array) + shape.headerBytes +
                     static_cast<size_t>(i) * sizeof(char*);
  return std::string(rt::ViewText(static_cast<const char*>(rt::ReadPointer(slot))));
}

std::string OutputPathFor(const std::string& entry, const std::string& inputFolder,
                          const std::string& outputFolder) {
  // The listing put the input folder in front of every entry: the first match from the
  // start, case and all, is that folder and nothing else.
  return TakeText(static_cast<char*>(
      rt::Call(cmd::ReplaceText,
               {Arg::Text(entry.c_str()), Arg::Text(inputFolder.c_str()),
                Arg::Text(outputFolder.c_str()), Arg::Int(1), Arg::Int(1), Arg::Bool(true)})
          .Pointer()));
}

}  // namespace app::batch
