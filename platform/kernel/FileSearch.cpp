// FindFirstFileA takes a snapshot of the matching entries, "." and ".." first and the rest
// in case-insensitive name order like an NTFS folder listing.
//
// Names on disk are UTF-8; a name that is not valid UTF-8 or has a character GBK lacks is
// left out of the listing rather than reported with '?' in it, because a caller could
// neither open nor match such a name again.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/kernel/CodePage.h"
#include "platform/kernel/FileAttributes.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/Paths.h"
#include "platform/kernel/Wildcard.h"
#include "platform/kernel32.h"

namespace platform::kernel {
namespace {

struct FoundEntry {
  std::string gbkName;
  std::u16string sortKey;
  DWORD attributes = 0;
  uint64_t size = 0;
  FILETIME creation{}, access{}, write{};
};

class FindSearch final : public KernelObject {
 public:
  explicit FindSearch(std::vector<FoundEntry> entries) : entries_(std::move(entries)) {}
  ObjectKind Kind() const override { return ObjectKind::FindSearch; }

  const FoundEntry* Next() {
    std::lock_guard lock(mutex_);
    return next_ < entries_.size() ? &entries_[next_++] : nullptr;
  }

 private:
  std::mutex mutex_;
  std::vector<FoundEntry> entries_;
  size_t next_ = 0;
};

FILETIME ToFileTime(const struct timespec& ts) {
  // 100-nanosecond ticks since 1601-01-01.
  constexpr int64_t kEpochDifference = 11644473600LL;
  int64_t seconds = static_cast<int64_t>(ts.tv_sec) + kEpochDifference;
  uint64_t ticks = seconds < 0 ? 0
                               : static_cast<uint64_t>(seconds) * 10000000u +
                                     static_cast<uint64_t>(ts.tv_nsec) / 100u;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

std::string Join(const std::string& directory, const std::string& name) {
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

bool Describe(const std::string& directory, const std::string& utf8Name, FoundEntry* entry) {
  std::optional<std::string> gbk = Utf8ToGbk(utf8Name, true);
  if (!gbk || gbk->size() >= MAX_PATH) return false;
  std::string path = Join(directory, utf8Name);
  struct stat st;
  // A dangling symbolic link is still an entry of the folder.
  if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) return false;
  entry->gbkName = std::move(*gbk);
  entry->attributes = AttributesOf(path, st);
  entry->size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  entry->write = ToFileTime(st.st_mtim);
  entry->access = ToFileTime(st.st_atim);
  // stat keeps no birth time; the last write is the closest thing it has.
  entry->creation = entry->write;
  return true;
}

void Fill(const FoundEntry& entry, WIN32_FIND_DATAA* data) {
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = entry.attributes;
  data->ftCreationTime = entry.creation;
  data->ftLastAccessTime = entry.access;
  data->ftLastWriteTime = entry.write;
  data->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(entry.size);
  std::memcpy(data->cFileName, entry.gbkName.data(), entry.gbkName.size());
}

int DotRank(const std::string& name) {
  return name == "." ? 0 : name == ".." ? 1 : 2;
}

std::u16string SortKey(std::u16string_view name) {
  std::u16string key(name);
  for (char16_t& c : key) {
    if (c >= u'a' && c <= u'z') c = c - u'a' + u'A';
  }
  return key;
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace
}  // namespace platform::kernel

using namespace platform::kernel;

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  if (pattern == nullptr || data == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  std::optional<std::string> fsPattern = ToFileSystemPath(pattern);
  if (!fsPattern) return INVALID_HANDLE_VALUE;
  size_t slash = fsPattern->rfind('/');
  std::string directory = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : fsPattern->substr(0, slash);
  std::string name = slash == std::string::npos ? *fsPattern : fsPattern->substr(slash + 1);
  if (HasWildcard(directory)) return Fail(ERROR_INVALID_NAME);
  struct stat st;
  if (stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(ERROR_PATH_NOT_FOUND);
  if (name.empty()) return Fail(ERROR_FILE_NOT_FOUND);

  std::vector<FoundEntry> entries;
  if (!HasWildcard(name)) {
    // A plain name is looked up directly, with the same case sensitivity as opening it.
    FoundEntry entry;
    if (Describe(directory, name, &entry)) entries.push_back(std::move(entry));
  } else {
    std::u16string wide;
    DecodeUtf8(name, false, wide);
    WildcardPattern wildcard(wide);
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) return Fail(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
    while (struct dirent* d = readdir(dir)) {
      std::string entryName = d->d_name;
      std::u16string entryWide;
      if (!DecodeUtf8(entryName, true, entryWide) || !wildcard.Matches(entryWide)) continue;
      FoundEntry entry;
      if (!Describe(directory, entryName, &entry)) continue;
      entry.sortKey = SortKey(entryWide);
      entries.push_back(std::move(entry));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FoundEntry& a, const FoundEntry& b) {
      int ra = DotRank(a.gbkName), rb = DotRank(b.gbkName);
      if (ra != rb) return ra < rb;
      if (a.sortKey != b.sortKey) return a.sortKey < b.sortKey;
      return a.gbkName < b.gbkName;
    });
  }
  if (entries.empty()) return Fail(ERROR_FILE_NOT_FOUND);

  auto search = std::make_shared<FindSearch>(std::move(entries));
  Fill(*search->Next(), data);
  HANDLE handle = KernelHandles().Insert(search);
  if (handle == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  return handle;
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
  auto search = KernelHandles().GetAs<FindSearch>(handle);
  if (!search) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const FoundEntry* entry = search->Next();
  if (entry == nullptr) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  Fill(*entry, data);
  return TRUE;
}

BOOL FindClose(HANDLE handle) {
  if (!KernelHandles().RemoveOfKind(handle, {ObjectKind::FindSearch})) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
