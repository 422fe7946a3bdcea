// The application's globals: what one window hands to the next, the batch run's list, the
// caption library's lines, the running filter pass and the watermark editor's state. Byte
// sets and arrays are runtime heap blocks (null when empty) that the globals own; the end
// routine frees them.
#pragma once

#include <cstdint>

namespace app {

// Handles and size of the filter pass that is running (handles as the 32-bit integers the
// declared platform functions take and give).
struct FilterPassState {
  int32_t boxHandle = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t screenDc = 0;
  int32_t memoryDc = 0;
  int32_t bitmap = 0;
  int32_t previousObject = 0;
};

inline constexpr int32_t kMouseStartUnknown = -100;

struct WatermarkEditorState {
  int32_t photoObject = 0;
  int32_t watermarkObject = 0;
  int32_t dragStartX = 0;
  int32_t dragStartY = 0;
  int32_t watermarkX = 0;
  int32_t watermarkY = 0;
  int32_t dragging = 0;
  int32_t mouseStartX = kMouseStartUnknown;
  int32_t mouseStartY = kMouseStartUnknown;
};

struct Globals {
  void* processedPicture = nullptr;  // byte set: the last snapshot of the filtered picture
  void* captionPicture = nullptr;    // byte set: the last crop of the caption window
  void* batchFileList = nullptr;     // one-dimensional text array: paths of the batch run
  int32_t batchIndex = 0;            // 1-based index of the photo being stamped
  void* batchPicture = nullptr;      // byte set: the last crop of the batch window
  void* captionLines = nullptr;      // one-dimensional text array: the caption library
  FilterPassState filterPass;
  WatermarkEditorState watermark;
};

Globals& G();

// Program start: the two text arrays are made empty. Program end: every block is freed and
// the globals return to their start values.
void CreateGlobals();
void FreeGlobals();
// How many times FreeGlobals has run in this process (the end routine runs once per run).
int32_t GlobalsFreedCount();

// Stores a fresh byte-set or array block in a global, freeing what it held.
void ReplaceBlock(void*& global, void* fresh);
// A fresh copy of a byte set (null for the empty one), for handing a global to a property.
void* CopyByteSet(const void* block);
// An empty one-dimensional text array block.
void* EmptyTextArray();
// Frees a one-dimensional text array block and the texts it holds.
void FreeTextArray(void* block);

}  // namespace app
