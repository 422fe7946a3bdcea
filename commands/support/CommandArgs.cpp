#include "commands/support/CommandArgs.h"

#include <cmath>
#include <cstring>

#include "commands/support/LibraryServices.h"
#include "runtime/values/NumericConversion.h"

namespace cmd {

using rt::ArgRecord;
using rt::TypeCode;

using rt::NumericToDouble;
using rt::NumericToInt32;

TypeCode CommandArgs::Kind(int32_t i) const {
  return Given(i) ? rt::BaseKind(args_[i].type) : rt::kTypeNone;
}

uint64_t CommandArgs::Value(int32_t i) const {
  if (!Given(i)) return 0;
  const ArgRecord& a = args_[i];
  if (!rt::IsByRef(a.type)) return a.value;
  const void* variable = a.Pointer();
  if (variable == nullptr) return 0;
  // Arrays are held by pointer; other kinds by their own size.
  size_t size = rt::IsArray(a.type) ? sizeof(void*) : rt::KindSize(rt::BaseKind(a.type));
  if (size == 0 || size > 8) size = 8;
  uint64_t v = 0;
  std::memcpy(&v, variable, size);
  return v;
}

int32_t CommandArgs::Int(int32_t i, int32_t fallback) const {
  if (!Given(i)) return fallback;
  if (IsArray(i)) {
    RaiseError(kNotNumericMessage);
    return fallback;
  }
  TypeCode kind = Kind(i);
  uint64_t v = Value(i);
  int32_t out;
  if (NumericToInt32(kind, v, &out)) return out;
  if (kind == rt::kTypeBool) return static_cast<int32_t>(static_cast<uint32_t>(v));
  RaiseError(kNotNumericMessage);
  return fallback;
}

double CommandArgs::Double(int32_t i, double fallback) const {
  if (!Given(i)) return fallback;
  if (IsArray(i)) {
    RaiseError(kNotNumericMessage);
    return fallback;
  }
  TypeCode kind = Kind(i);
  uint64_t v = Value(i);
  double out;
  if (NumericToDouble(kind, v, &out)) return out;
  if (kind == rt::kTypeBool) return static_cast<int32_t>(static_cast<uint32_t>(v));
  RaiseError(kNotNumericMessage);
  return fallback;
}

int32_t CommandArgs::BoolWord(int32_t i, int32_t fallback) const {
  if (!Given(i)) return fallback;
  if (Kind(i) == rt::kTypeBool && !IsArray(i)) {
    return static_cast<int32_t>(static_cast<uint32_t>(Value(i)));
  }
  return Int(i, fallback);
}

const char* CommandArgs::Text(int32_t i, const char* fallback) const {
  if (!Given(i)) return fallback;
  if (Kind(i) != rt::kTypeText || IsArray(i)) {
    RaiseError(kArgumentKindMessage);
    return "";
  }
  const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(Value(i)));
  return text == nullptr ? "" : text;
}

rt::ByteSetView CommandArgs::Bytes(int32_t i) const {
  if (!Given(i)) return {};
  if (Kind(i) != rt::kTypeByteSet || IsArray(i)) {
    RaiseError(kArgumentKindMessage);
    return {};
  }
  return rt::ViewByteSet(reinterpret_cast<const void*>(static_cast<uintptr_t>(Value(i))));
}

int32_t* CommandArgs::IntReference(int32_t i) const {
  if (!Given(i) || !rt::IsByRef(args_[i].type) || IsArray(i)) return nullptr;
  if (Kind(i) != rt::kTypeInt) return nullptr;
  return static_cast<int32_t*>(args_[i].Pointer());
}

void SetInt(ArgRecord* result, int32_t v) {
  result->Set(v);
  result->type = rt::kTypeInt;
}

void SetDouble(ArgRecord* result, double v) {
  result->Set(v);
  result->type = rt::kTypeDouble;
}

void SetBool(ArgRecord* result, bool v) {
  result->Set<int32_t>(v ? 1 : 0);
  result->type = rt::kTypeBool;
}

void SetText(ArgRecord* result, std::string_view bytes) {
  SetPointer(result, rt::kTypeText, MakeText(bytes));
}

void SetByteSet(ArgRecord* result, const void* bytes, size_t count) {
  SetPointer(result, rt::kTypeByteSet, MakeByteSet(bytes, count));
}

void SetPointer(ArgRecord* result, TypeCode kind, void* block) {
  result->SetPointer(block);
  result->type = kind;
}

}  // namespace cmd
