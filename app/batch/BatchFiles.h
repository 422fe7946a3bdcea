// The batch run's files: listing a folder into a text array, and where each stamped photo
// is written.
#pragma once

#include <cstdint>
#include <string>

namespace app::batch {

// Appends to the one-dimensional text array held in `*array` every file of `folder` (not
// its sub-folders) whose name matches `pattern` by the platform's rules, in the order the
// platform's search gives them; with `withPath` an entry is the folder, a backslash and the
// name, otherwise the bare name. Input waiting meanwhile is handled, so a long listing does
// not freeze the windows. Returns how many entries were appended.
int32_t ListFiles(const char* folder, const char* pattern, void** array, bool withPath);

// The number of entries of a one-dimensional text array block, and entry i (0-based; "" for
// an empty element or an index beyond the end).
int32_t TextArrayCount(const void* array);
std::string TextArrayEntry(const void* array, int32_t i);

// The output path of a photo listed from `inputFolder`: the same name in `outputFolder`.
// Only the leading input folder is exchanged, so a program folder whose own path happens to
// contain the input folder's name is kept as it is.
std::string OutputPathFor(const std::string& entry, const std::string& inputFolder,
                          const std::string& outputFolder);

}  // namespace app::batch
