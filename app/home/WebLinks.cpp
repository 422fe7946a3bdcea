#include "app/home/WebLinks.h"

#include "app/home/ProgramFolder.h"
#include "commands/system/SystemCommands.h"
#include "runtime/calls/CommandCall.h"

// The build installs the maker's page under this name beside the program.
#ifndef VELMORA_MAKER_PAGE
#error "VELMORA_MAKER_PAGE names the maker's page inside the program folder"
#endif

namespace app::home {

std::string MakerPageAddress() {
  return FileAddressOf(PathInRunDirectory(VELMORA_MAKER_PAGE));
}

std::string FileAddressOf(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string address = "file://";
  // A drive path needs the third slash that a Unix path brings with it.
  if (!path.empty() && path[0] != '/' && path[0] != '\\') address += '/';
  for (char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\\') {
      address += '/';
    } else if (b < 0x20 || b == 0x7F || c == ' ' || c == '%' || c == '#' || c == '?') {
      address += '%';
      address += kHex[b >> 4];
      address += kHex[b & 15];
    } else {
      address += c;
    }
  }
  return address;
}

void OpenAddress(const std::string& address) {
  rt::Call(cmd::OpenWebAddress, {rt::Arg::Text(address.c_str())});
}

}  // namespace app::home
