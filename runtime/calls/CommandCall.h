// Building argument records and calling a command through the uniform call, without
// spelling out type codes and value words at every call site:
//
//   rt::ArgRecord r = rt::Call(cmd::FindText, {rt::Arg::Text(text), rt::Arg::Text("x")});
//
// The records only lend the values: texts, byte sets and arrays stay owned by the caller,
// and a result block is the caller's to free.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "runtime/calls/ArgRecord.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/values/TypeCode.h"

namespace rt {

namespace Arg {

inline ArgRecord Of(TypeCode type, uint64_t value) {
  ArgRecord a;
  a.value = value;
  a.type = type;
  return a;
}

template <typename T>
ArgRecord Typed(TypeCode type, T v) {
  ArgRecord a;
  a.Set(v);
  a.type = type;
  return a;
}

inline ArgRecord PointerOf(TypeCode type, const void* p) {
  ArgRecord a;
  a.SetPointer(p);
  a.type = type;
  return a;
}

// An optional argument left out: all words zero.
inline ArgRecord Omitted() {
  return {};
}

inline ArgRecord Byte(uint8_t v) {
  return Typed(kTypeByte, v);
}
inline ArgRecord Short(int16_t v) {
  return Typed(kTypeShort, v);
}
inline ArgRecord Int(int32_t v) {
  return Typed(kTypeInt, v);
}
inline ArgRecord Long(int64_t v) {
  return Typed(kTypeLong, v);
}
inline ArgRecord Float(float v) {
  return Typed(kTypeFloat, v);
}
inline ArgRecord Double(double v) {
  return Typed(kTypeDouble, v);
}
// The runtime's true is 1.
inline ArgRecord Bool(bool v) {
  return Typed<int32_t>(kTypeBool, v ? 1 : 0);
}
inline ArgRecord DateTime(double days) {
  return Typed(kTypeDateTime, days);
}
inline ArgRecord Text(const char* text) {
  return PointerOf(kTypeText, text);
}
// A byte-set block {1, n, bytes}, or null for the empty byte set.
inline ArgRecord Bytes(const void* block) {
  return PointerOf(kTypeByteSet, block);
}
inline ArgRecord Subroutine(const void* code) {
  return PointerOf(kTypeSubroutine, code);
}
// An array block of the given element kind.
inline ArgRecord Array(TypeCode element, const void* block) {
  return PointerOf(kArrayFlag | element, block);
}
// A unit reference: window id and unit id in the two halves, the unit's data type.
inline ArgRecord Unit(uint32_t windowId, uint32_t unitId, TypeCode unitType) {
  ArgRecord a;
  a.SetHalves(windowId, unitId);
  a.type = unitType;
  return a;
}

// By-reference arguments: the record holds the address of the caller's variable, which
// the command may write.
inline ArgRecord ByRef(void* variable, TypeCode kind) {
  return PointerOf(kByRefFlag | kind, variable);
}
inline ArgRecord ByRef(int32_t* variable) {
  return ByRef(variable, kTypeInt);
}
inline ArgRecord ByRef(int64_t* variable) {
  return ByRef(variable, kTypeLong);
}
inline ArgRecord ByRef(double* variable) {
  return ByRef(variable, kTypeDouble);
}
inline ArgRecord ByRef(char** variable) {
  return ByRef(variable, kTypeText);
}

}  // namespace Arg

// Lays the records out contiguously and goes through the uniform call.
inline ArgRecord Call(CommandRoutine routine, std::initializer_list<ArgRecord> args) {
  std::vector<ArgRecord> frame(args);
  return CallCommand(routine, static_cast<int32_t>(frame.size()), frame.data());
}

}  // namespace rt
