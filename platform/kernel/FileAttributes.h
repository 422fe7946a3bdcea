// The DOS attribute word of a file-system entry. Read-only is the absence of every write
// permission bit (for files); hidden, system and archive, and read-only for folders, live
// in the extended attribute user.DOSATTRIB as hexadecimal text such as "0x22".
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/win32_types.h"

namespace platform::kernel {

inline constexpr char kDosAttributeName[] = "user.DOSATTRIB";
inline constexpr DWORD kStoredAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Bits kept in user.DOSATTRIB; 0 when absent or where the file system has no such thing.
DWORD ReadStoredAttributes(const std::string& path);
// The full attribute word for an entry whose stat is known; FILE_ATTRIBUTE_NORMAL when no
// other bit applies.
DWORD AttributesOf(const std::string& path, const struct stat& st);

}  // namespace platform::kernel
