// Where tests and benchmarks put temporary files: the folder TMPDIR names, else /tmp.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace testing_temp {

inline std::string Folder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  return error ? std::string("/tmp") : folder.string();
}

// A new private folder named after `prefix`; empty when none could be made.
inline std::string MakeFolder(const std::string& prefix) {
  std::string pattern = Folder() + "/" + prefix + "-XXXXXX";
  return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

// A new file named after `prefix`, open for writing: its descriptor (-1 on failure) and,
// in `path`, its name.
inline int MakeFile(const std::string& prefix, std::string* path) {
  std::string pattern = Folder() + "/" + prefix + "-XXXXXX";
  int fd = mkstemp(pattern.data());
  *path = pattern;
  return fd;
}

}  // namespace testing_temp
