// The two web pages the program links to: the maker's page, which ships with the program
// and is read from its folder so that it works offline, and the video page.
#pragma once

#include <string>

namespace app::home {

inline constexpr char kVideoPageAddress[] = "https://vimeo.com/v_show/id_XOTMxMDEwMDAw.html";

// The maker's page as a file: address inside the run directory (GBK, as the program's
// texts are).
std::string MakerPageAddress();

// The file: address of a local path (GBK, either separator). Characters that end or escape
// a path in an address are percent-escaped; other bytes are kept, so the GBK text still
// converts to the file system's name at the platform.
std::string FileAddressOf(const std::string& path);

// Asks the desktop to open an address (the shell's "open").
void OpenAddress(const std::string& address);

}  // namespace app::home
