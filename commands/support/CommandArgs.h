// Reading a command's argument records and writing its result, the same way for every
// command: omitted or absent arguments take the command's default, by-reference arguments
// are read through the caller's variable, and a kind that cannot stand for the parameter
// is reported as the runtime error the value model names, never read as a wild pointer.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/calls/ArgRecord.h"
#include "runtime/values/ValueBlocks.h"

namespace cmd {

class CommandArgs {
 public:
  CommandArgs(int32_t count, const rt::ArgRecord* args)
      : count_(count < 0 || args == nullptr ? 0 : count), args_(args) {}

  int32_t Count() const { return count_; }
  // Written and not omitted (type code not 0).
  bool Given(int32_t i) const { return i < count_ && args_[i].type != rt::kTypeNone; }
  const rt::ArgRecord& Record(int32_t i) const { return args_[i]; }
  // The kind without the by-reference flag (kTypeNone when not given).
  rt::TypeCode Kind(int32_t i) const;
  bool IsArray(int32_t i) const { return Given(i) && rt::IsArray(args_[i].type); }
  // The 8-byte value word, read through the caller's variable for by-reference arguments.
  uint64_t Value(int32_t i) const;

  // Numeric parameters accept every numeric kind (converted as the runtime converts
  // arguments) and bools; other kinds raise "欲转换数据类型不是数值".
  int32_t Int(int32_t i, int32_t fallback) const;
  double Double(int32_t i, double fallback) const;
  // Bool parameters read the 32-bit word of bools and the converted value of numbers.
  int32_t BoolWord(int32_t i, int32_t fallback) const;
  // Text parameters accept texts (null reads as empty); other kinds raise
  // "所提供参数的数据类型不符合要求" and read as empty.
  const char* Text(int32_t i, const char* fallback = "") const;
  rt::ByteSetView Bytes(int32_t i) const;
  // The caller's int variable behind a by-reference int argument, else null.
  int32_t* IntReference(int32_t i) const;

 private:
  int32_t count_;
  const rt::ArgRecord* args_;
};

// Result writers: the record holds the value and its kind; empty texts and byte sets are
// written as null with their kind.
void SetInt(rt::ArgRecord* result, int32_t v);
void SetDouble(rt::ArgRecord* result, double v);
void SetBool(rt::ArgRecord* result, bool v);
void SetText(rt::ArgRecord* result, std::string_view bytes);
void SetByteSet(rt::ArgRecord* result, const void* bytes, size_t count);
void SetPointer(rt::ArgRecord* result, rt::TypeCode kind, void* block);

}  // namespace cmd
