// Reads the images out of ICO and CUR files, for tests that feed them to the icon
// functions (which take one image, as resources hold them, not the file's directory).
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32_types.h"
#include "tests/common/TestData.h"

namespace gdi_test {

struct IcoEntry {
  std::vector<BYTE> image;  // for cursors with the hotspot in front, as cursor resources have it
  WORD hotspotX = 0;
  WORD hotspotY = 0;
};

inline std::vector<IcoEntry> ReadIcoFile(const std::string& path, bool* cursor) {
  std::ifstream in(path, std::ios::binary);
  std::vector<BYTE> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<IcoEntry> entries;
  *cursor = false;
  if (file.size() < 6) return entries;
  auto word = [&](size_t at) { return static_cast<WORD>(file[at] | (file[at + 1] << 8)); };
  auto dword = [&](size_t at) { return static_cast<DWORD>(word(at) | (word(at + 2) << 16)); };
  *cursor = word(2) == 2;
  for (size_t i = 0; i < word(4) && 6 + 16 * (i + 1) <= file.size(); ++i) {
    const size_t at = 6 + 16 * i;
    const DWORD offset = dword(at + 12);
    if (offset > file.size()) continue;
    const DWORD bytes = std::min<DWORD>(dword(at + 8), static_cast<DWORD>(file.size() - offset));
    IcoEntry e;
    e.hotspotX = word(at + 4);
    e.hotspotY = word(at + 6);
    if (*cursor) {
      e.image = {static_cast<BYTE>(e.hotspotX), static_cast<BYTE>(e.hotspotX >> 8),
                 static_cast<BYTE>(e.hotspotY), static_cast<BYTE>(e.hotspotY >> 8)};
    }
    e.image.insert(e.image.end(), file.begin() + offset, file.begin() + offset + bytes);
    entries.push_back(std::move(e));
  }
  return entries;
}

inline std::string TestDataPath(const std::string& relative) {
  return testing_data::Path(relative);
}

}  // namespace gdi_test
