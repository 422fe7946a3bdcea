#include "app/home/ProgramFolder.h"

#include "commands/files/FileCommands.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"

namespace app::home {

std::string PathInRunDirectory(const char* name) {
  rt::ArgRecord directory = rt::Call(cmd::GetRunDirectory, {});
  auto* text = static_cast<char*>(directory.Pointer());
  std::string path = text != nullptr ? text : "";
  if (text != nullptr) rt::Services().freeMem(text);
  return path + "\\" + name;
}

}  // namespace app::home
