// The application's event handlers as the runtime sees them. The handlers form one table;
// the code base of the image header is the table's address, and a handler offset stored in
// the form data is a byte offset into it, so code base + offset names one entry.
#pragma once

#include <cstdint>

namespace rt {

// What a handler hands back: whether it returned a value at all, and the value (an 8-byte
// slot; handlers of logical or integer results use the low word).
struct HandlerResult {
  bool returned = false;
  uint64_t value = 0;
};

// Arguments arrive as the words the raiser pushed, argument 1 first (an 8-byte argument
// takes two words, low word first).
using EventHandler = HandlerResult (*)(const uint32_t* words, int32_t wordCount);

struct HandlerEntry {
  EventHandler handler;
};

// Byte offset of table entry i, as the form compiler stores it.
constexpr int32_t HandlerOffset(uint32_t index) {
  return static_cast<int32_t>(index * sizeof(HandlerEntry));
}

// The handler at code base + offset, or null for the "no handler" offset −1.
inline EventHandler ResolveHandler(const void* codeBase, int32_t offset) {
  if (offset == -1 || codeBase == nullptr) return nullptr;
  const auto* entry =
      reinterpret_cast<const HandlerEntry*>(static_cast<const uint8_t*>(codeBase) + offset);
  return entry->handler;
}

}  // namespace rt
