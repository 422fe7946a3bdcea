// What the command tests share: the runtime attached to the commands, owners for the
// byte sets and arrays handed to commands, and readers that take a result apart and free
// it the way a caller must.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/calls/ArgRecord.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/values/TypeCode.h"
#include "tests/common/Gbk.h"

namespace cmdtest {

using testing_gbk::Gbk;
using testing_gbk::Utf8;

// Initialises the runtime and hands its RuntimeNotify to the commands; safe to call from
// every test.
void AttachRuntime();

// A byte-set block built from bytes; the empty byte set is null, as the runtime has it.
class ByteSetBlock {
 public:
  explicit ByteSetBlock(std::string_view bytes);
  explicit ByteSetBlock(const std::vector<uint8_t>& bytes)
      : ByteSetBlock(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) {}
  const void* get() const { return storage_.empty() ? nullptr : storage_.data(); }
  rt::ArgRecord Arg() const { return rt::Arg::Bytes(get()); }

 private:
  std::vector<uint8_t> storage_;
};

// An array block of any shape whose elements are given as their raw bytes.
class ArrayBlock {
 public:
  ArrayBlock(std::vector<int32_t> sizes, std::string_view elementBytes);
  const void* get() const { return storage_.data(); }
  rt::ArgRecord Arg(rt::TypeCode element) const { return rt::Arg::Array(element, get()); }

 private:
  std::vector<uint8_t> storage_;
};

// The result's text (empty for null); fails the test when the result is not a text or an
// empty text came back as a block. The block is freed.
std::string TakeText(const rt::ArgRecord& result);
// The result's bytes; the same checks for byte sets.
std::string TakeBytes(const rt::ArgRecord& result);
// The elements of a one-dimensional text array (nullopt for a null element); the
// elements and the block are freed.
std::vector<std::optional<std::string>> TakeTextArray(const rt::ArgRecord& result);

int32_t IntOf(const rt::ArgRecord& result);
double DoubleOf(const rt::ArgRecord& result);

// Raw bytes of a value, for building expected byte sets.
template <typename T>
std::string ImageOf(T v) {
  return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}

}  // namespace cmdtest
