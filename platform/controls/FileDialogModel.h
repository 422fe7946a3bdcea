// The open and save dialogs apart from their window: filters, folder listings, GBK paths
// (always with '/' between components) and the caller's OPENFILENAMEA.
#pragma once

#include <string>
#include <vector>

#include "platform/user32.h"

namespace platform::controls {

struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;  // never empty
};

struct FolderEntry {
  std::string nameGbk;
  bool folder = false;
};

void SetCommonDialogError(DWORD error);

// "a; b;;c" -> {"a", "b", "c"}.
std::vector<std::string> SplitPatterns(const std::string& text);
// The description/pattern pairs of lpstrFilter.
std::vector<FileFilter> ParseFilter(LPCSTR filter);
bool MatchesAny(const std::string& nameGbk, const std::vector<std::string>& patterns);
// Sub-folders, then the files matching one of the patterns, each sorted by name. Hidden
// (dot) entries and names that GBK cannot spell are left out.
std::vector<FolderEntry> ListFolder(const std::string& folderGbk,
                                    const std::vector<std::string>& patterns);

std::string NormalizePath(const std::string& pathGbk);
bool IsAbsolute(const std::string& pathGbk);
std::string JoinPath(const std::string& folderGbk, const std::string& nameGbk);
size_t NameOffset(const std::string& pathGbk);
std::string ParentOf(const std::string& pathGbk);
// Where the extension starts (after the dot); 0 when the name has none.
size_t ExtensionOffset(const std::string& pathGbk);
DWORD AttributesOf(const std::string& pathGbk);
bool IsFolder(const std::string& pathGbk);
bool IsValidGbk(const std::string& text);
std::string CurrentFolder();
std::string WithDefaultExtension(const std::string& pathGbk, LPCSTR defExt);

// Fills lpstrFile, nFileOffset, nFileExtension and lpstrFileTitle; false with
// FNERR_BUFFERTOOSMALL (and the size needed in the first two bytes) when it does not fit.
bool WriteFileResult(OPENFILENAMEA& ofn, const std::string& pathGbk);

}  // namespace platform::controls
