// What the open and save dialogs work with, apart from their window: filters, folder
// listings, GBK paths, and filling in the caller's record.
#include "platform/controls/FileDialogModel.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/kernel/CodePage.h"
#include "platform/kernel/Paths.h"
#include "platform/kernel/Wildcard.h"
#include "platform/kernel32.h"

namespace platform::controls {
namespace {

thread_local DWORD t_lastError = 0;

// Longest filter text looked at, so that a filter missing its final double zero stops the
// scan somewhere.
constexpr size_t kMaxFilterBytes = 1 << 16;

bool IsLeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

std::u16string Decode(const std::string& gbk) {
  std::u16string out;
  platform::kernel::DecodeGbk(gbk, false, out);
  return out;
}

int CompareNoCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a[i]));
    int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

void SetCommonDialogError(DWORD error) {
  t_lastError = error;
}

std::vector<std::string> SplitPatterns(const std::string& text) {
  std::vector<std::string> patterns;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string pattern = Trim(text.substr(start, end - start));
    if (!pattern.empty()) patterns.push_back(pattern);
    start = end + 1;
  }
  return patterns;
}

std::vector<FileFilter> ParseFilter(LPCSTR filter) {
  std::vector<FileFilter> filters;
  if (filter == nullptr) return filters;
  size_t at = 0;
  auto readItem = [&](std::string& out) {
    size_t length = strnlen(filter + at, kMaxFilterBytes - at);
    out.assign(filter + at, length);
    at += length + 1;
  };
  while (at < kMaxFilterBytes && filter[at] != '\0') {
    FileFilter entry;
    readItem(entry.description);
    std::string patterns;
    if (at < kMaxFilterBytes && filter[at] != '\0') readItem(patterns);
    entry.patterns = SplitPatterns(patterns);
    // A description without a pattern lists everything rather than nothing.
    if (entry.patterns.empty()) entry.patterns.push_back("*");
    filters.push_back(std::move(entry));
  }
  return filters;
}

bool MatchesAny(const std::string& nameGbk, const std::vector<std::string>& patterns) {
  std::u16string name = Decode(nameGbk);
  for (const std::string& pattern : patterns) {
    if (platform::kernel::WildcardPattern(Decode(pattern)).Matches(name)) return true;
  }
  return false;
}

std::vector<FolderEntry> ListFolder(const std::string& folderGbk,
                                    const std::vector<std::string>& patterns) {
  std::vector<FolderEntry> folders, files;
  auto fsPath = platform::kernel::ToFileSystemPath(folderGbk.c_str());
  if (!fsPath) return {};
  std::error_code error;
  std::filesystem::directory_iterator it(*fsPath, error), end;
  for (; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    // A name GBK cannot spell would be shown garbled and could not be opened by that
    // spelling: it is left out.
    auto gbk = platform::kernel::Utf8ToGbk(name, true);
    if (!gbk) continue;
    std::error_code statError;
    bool isFolder = it->is_directory(statError);
    if (isFolder) {
      folders.push_back({*gbk, true});
    } else if (MatchesAny(*gbk, patterns)) {
      files.push_back({*gbk, false});
    }
  }
  auto byName = [](const FolderEntry& a, const FolderEntry& b) {
    return CompareNoCase(a.nameGbk, b.nameGbk) < 0;
  };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

std::string NormalizePath(const std::string& pathGbk) {
  // Split on either separator, never on the trail byte of a double-byte character.
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = 0; i < pathGbk.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(pathGbk[i]);
    if (IsLeadByte(c) && i + 1 < pathGbk.size()) {
      part += pathGbk[i];
      part += pathGbk[++i];
      continue;
    }
    if (c == '/' || c == '\\') {
      parts.push_back(part);
      part.clear();
      continue;
    }
    part += pathGbk[i];
  }
  parts.push_back(part);
  std::vector<std::string> kept;
  for (const std::string& p : parts) {
    if (p.empty() || p == ".") continue;
    if (p == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(p);
  }
  std::string out;
  for (const std::string& p : kept) out += "/" + p;
  return out.empty() ? "/" : out;
}

bool IsAbsolute(const std::string& pathGbk) {
  return !pathGbk.empty() && (pathGbk[0] == '/' || pathGbk[0] == '\\');
}

std::string JoinPath(const std::string& folderGbk, const std::string& nameGbk) {
  if (IsAbsolute(nameGbk)) return NormalizePath(nameGbk);
  return NormalizePath(folderGbk + "/" + nameGbk);
}

size_t NameOffset(const std::string& pathGbk) {
  size_t offset = 0;
  for (size_t i = 0; i < pathGbk.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(pathGbk[i]);
    if (IsLeadByte(c)) {
      ++i;
      continue;
    }
    if (c == '/' || c == '\\') offset = i + 1;
  }
  return offset;
}

std::string ParentOf(const std::string& pathGbk) {
  size_t offset = NameOffset(pathGbk);
  if (offset <= 1) return "/";
  return pathGbk.substr(0, offset - 1);
}

size_t ExtensionOffset(const std::string& pathGbk) {
  size_t name = NameOffset(pathGbk);
  size_t dot = 0;
  for (size_t i = name; i < pathGbk.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(pathGbk[i]);
    if (IsLeadByte(c)) {
      ++i;
      continue;
    }
    if (c == '.') dot = i + 1;
  }
  // A leading dot starts a name, not an extension.
  return dot > name + 1 ? dot : 0;
}

DWORD AttributesOf(const std::string& pathGbk) {
  return GetFileAttributesA(pathGbk.c_str());
}

bool IsFolder(const std::string& pathGbk) {
  DWORD attributes = AttributesOf(pathGbk);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsValidGbk(const std::string& text) {
  std::u16string out;
  return platform::kernel::DecodeGbk(text, true, out);
}

std::string CurrentFolder() {
  DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return "/";
  std::string folder(needed, '\0');
  DWORD got = GetCurrentDirectoryA(needed, folder.data());
  folder.resize(got);
  return folder.empty() ? "/" : NormalizePath(folder);
}

std::string TruncateGbk(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t end = 0;
  for (size_t i = 0; i < text.size();) {
    size_t step = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    if (i + step > maxBytes) break;
    i += step;
    end = i;
  }
  return text.substr(0, end);
}

bool WriteFileResult(OPENFILENAMEA& ofn, const std::string& pathGbk) {
  // The multi-selection form of a single file has a second zero after it.
  size_t needed = pathGbk.size() + 1 + ((ofn.Flags & OFN_ALLOWMULTISELECT) ? 1 : 0);
  if (needed > ofn.nMaxFile) {
    if (ofn.nMaxFile >= 2) {
      WORD size = static_cast<WORD>(std::min<size_t>(needed, 0xFFFF));
      std::memcpy(ofn.lpstrFile, &size, sizeof(size));
    }
    SetCommonDialogError(FNERR_BUFFERTOOSMALL);
    return false;
  }
  std::memcpy(ofn.lpstrFile, pathGbk.c_str(), pathGbk.size() + 1);
  if (ofn.Flags & OFN_ALLOWMULTISELECT) ofn.lpstrFile[pathGbk.size() + 1] = '\0';
  size_t name = NameOffset(pathGbk);
  size_t extension = ExtensionOffset(pathGbk);
  ofn.nFileOffset = static_cast<WORD>(std::min<size_t>(name, 0xFFFF));
  ofn.nFileExtension = static_cast<WORD>(std::min<size_t>(extension, 0xFFFF));
  if (ofn.lpstrFileTitle != nullptr && ofn.nMaxFileTitle > 0) {
    std::string title = TruncateGbk(pathGbk.substr(name), ofn.nMaxFileTitle - 1);
    std::memcpy(ofn.lpstrFileTitle, title.c_str(), title.size() + 1);
  }
  ofn.Flags &= ~OFN_READONLY;
  if (ofn.lpstrDefExt != nullptr && ofn.lpstrDefExt[0] != '\0') {
    std::string ext = extension != 0 ? pathGbk.substr(extension) : std::string();
    if (CompareNoCase(ext, ofn.lpstrDefExt) != 0)
      ofn.Flags |= OFN_EXTENSIONDIFFERENT;
    else
      ofn.Flags &= ~OFN_EXTENSIONDIFFERENT;
  }
  SetCommonDialogError(0);
  return true;
}

std::string WithDefaultExtension(const std::string& pathGbk, LPCSTR defExt) {
  if (defExt == nullptr || defExt[0] == '\0') return pathGbk;
  if (ExtensionOffset(pathGbk) != 0) return pathGbk;
  std::string ext = defExt;
  if (ext[0] == '.') ext.erase(0, 1);
  if (ext.empty()) return pathGbk;
  return pathGbk + "." + ext;
}

}  // namespace platform::controls

DWORD CommDlgExtendedError() {
  return platform::controls::t_lastError;
}
