#include "app/program/Globals.h"

#include <cstring>

#include "runtime/calls/ServiceTable.h"
#include "runtime/values/ValueBlocks.h"

namespace app {
namespace {

int32_t g_freedCount = 0;

void* Alloc(size_t bytes) {
  return rt::Services().allocMem(static_cast<int32_t>(bytes));
}

void Free(void* block) {
  if (block != nullptr) rt::Services().freeMem(block);
}

}  // namespace

Globals& G() {
  static Globals globals;
  return globals;
}

void CreateGlobals() {
  Globals& g = G();
  ReplaceBlock(g.batchFileList, EmptyTextArray());
  ReplaceBlock(g.captionLines, EmptyTextArray());
}

void FreeGlobals() {
  Globals& g = G();
  ReplaceBlock(g.processedPicture, nullptr);
  ReplaceBlock(g.captionPicture, nullptr);
  FreeTextArray(g.batchFileList);
  g.batchFileList = nullptr;
  ReplaceBlock(g.batchPicture, nullptr);
  FreeTextArray(g.captionLines);
  g.captionLines = nullptr;
  g = Globals{};
  ++g_freedCount;
}

int32_t GlobalsFreedCount() {
  return g_freedCount;
}

void ReplaceBlock(void*& global, void* fresh) {
  if (global == fresh) return;
  Free(global);
  global = fresh;
}

void* CopyByteSet(const void* block) {
  if (block == nullptr) return nullptr;
  const rt::ByteSetView view = rt::ViewByteSet(block);
  return rt::BuildByteSet(Alloc, view.data, view.size);
}

void* EmptyTextArray() {
  return rt::BuildArray(Alloc, sizeof(char*), 0);
}

void FreeTextArray(void* block) {
  if (block == nullptr) return;
  const rt::ArrayShape shape = rt::ReadArrayShape(block);
  const auto* elements = static_cast<const uint8_t*>(block) + shape.headerBytes;
  for (uint64_t i = 0; i < shape.elementCount; ++i) {
    Free(rt::ReadPointer(elements + i * sizeof(char*)));
  }
  Free(block);
}

}  // namespace app
