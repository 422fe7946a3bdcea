// Helpers shared by the platform tests: a scratch folder that cleans up after itself and
// plain POSIX file access to look behind the platform's back.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/common/TempFolder.h"

namespace platform_test {

// GBK and UTF-8 spellings of the names the tests put on disk.
// "照片"
inline constexpr const char kPhotoGbk[] = "\xD5\xD5\xC6\xAC";
inline constexpr const char kPhotoUtf8[] = "\xE7\x85\xA7\xE7\x89\x87";
// "目录"
inline constexpr const char kFolderGbk[] = "\xC4\xBF\xC2\xBC";
inline constexpr const char kFolderUtf8[] = "\xE7\x9B\xAE\xE5\xBD\x95";
// "乗": its GBK trail byte is 0x5C, the backslash.
inline constexpr const char kBackslashTrailGbk[] = "\x81\x5C";
inline constexpr const char kBackslashTrailUtf8[] = "\xE4\xB9\x97";

class TempDirectory {
 public:
  TempDirectory() { path_ = testing_temp::MakeFolder("velmora-platform"); }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  // The folder is ASCII, so its UTF-8 and GBK spellings are the same bytes.
  const std::string& path() const { return path_; }
  std::string Unix(std::string_view name) const { return path_ + "/" + std::string(name); }
  // The same place spelled with backslashes, as the program spells paths.
  std::string Windows(std::string_view name) const {
    std::string p = Unix(name);
    for (char& c : p) {
      if (c == '/') c = '\\';
    }
    return p;
  }

 private:
  std::string path_;
};

inline bool WriteAll(const std::string& path, std::string_view contents) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = write(fd, contents.data(), contents.size()) == static_cast<ssize_t>(contents.size());
  close(fd);
  return ok;
}

inline std::string ReadAll(const std::string& path) {
  std::string contents;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "<missing>";
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof(buffer))) > 0)
    contents.append(buffer, static_cast<size_t>(n));
  close(fd);
  return contents;
}

inline bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Whether the folder's file system keeps user extended attributes.
inline bool SupportsUserXattrs(const std::string& directory) {
  std::string probe = directory + "/.xattr-probe";
  if (!WriteAll(probe, "")) return false;
  bool ok = setxattr(probe.c_str(), "user.velmora-probe", "1", 1, 0) == 0;
  unlink(probe.c_str());
  return ok;
}

}  // namespace platform_test
