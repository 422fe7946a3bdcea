// Drives the array services with arbitrary sequences: appends of texts and fixed-size
// elements, private copies of constant arrays (including malformed heads), and frees.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/RuntimeState.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  bool More() const { return pos < size; }
  uint8_t Byte() { return pos < size ? data[pos++] : 0; }
  int32_t Int() {
    int32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return v;
  }
  std::string Text() {
    size_t n = Byte() % 16;
    std::string s;
    for (size_t i = 0; i < n && More(); ++i) s += static_cast<char>(Byte() | 1);
    return s;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool initialised = [] {
    rt::InitRuntime(nullptr);
    return true;
  }();
  (void)initialised;

  // A constant area the fuzzer fills. Its head is kept to shapes the image could hold
  // (at most 3 dimensions of at most 7): the body may still be shorter than the head says.
  std::vector<uint8_t> constant(data, data + std::min<size_t>(size, 64));
  constant.resize(64, 0);
  int32_t d = constant[0] % 4;  // 0 is a malformed head
  rt::WriteInt32(constant.data(), d);
  for (int32_t i = 0; i < d; ++i)
    rt::WriteInt32(constant.data() + 4 + 4 * i, constant[4 + 4 * i] % 8);
  rt::ClearConstantRanges();
  rt::AddConstantRange(constant.data(), constant.size());

  Reader in{data, size, std::min<size_t>(size, 64)};
  void* texts = nullptr;
  void* ints = constant.data();  // starts as a constant array, possibly malformed
  while (in.More()) {
    switch (in.Byte() % 4) {
      case 0: {
        std::string t = in.Text();
        rt::AppendArrayText(&texts, t.c_str());
        break;
      }
      case 1: {
        int32_t v = in.Int();
        rt::AppendArrayElement(&ints, 4, &v);
        rt::ArrayShape shape = rt::ReadArrayShape(ints);
        if (shape.dimensions != 1 || shape.elementCount == 0) __builtin_trap();
        int32_t last;
        std::memcpy(&last, static_cast<uint8_t*>(ints) + 8 + 4 * (shape.elementCount - 1), 4);
        if (last != v) __builtin_trap();
        break;
      }
      case 2:
        rt::MakeArrayPrivate(4, &ints);
        break;
      case 3: {
        rt::ArrayShape shape = rt::ReadArrayShape(texts);
        if (texts != nullptr && (shape.dimensions != 1 || shape.elementCount == 0))
          __builtin_trap();
        rt::FreeArrayValue(rt::kTypeText, texts);
        texts = nullptr;
        break;
      }
    }
  }
  rt::FreeArrayValue(rt::kTypeText, texts);
  rt::FreeMem(ints);
  rt::ClearConstantRanges();
  return 0;
}
