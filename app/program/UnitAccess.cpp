#include "app/program/UnitAccess.h"

#include "commands/system/WindowCommands.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"

namespace app {
namespace {

// The part word of a property read or write: -1 is the whole property.
constexpr int32_t kWholeProperty = -1;
// The data type a window reference carries.
constexpr rt::TypeCode kWindowType = 0x00010001;

void SetPointer(uint32_t window, uint32_t unit, int32_t index, const void* p) {
  const auto bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p));
  rt::Services().setUnitProperty(window, unit, index, kWholeProperty, static_cast<uint32_t>(bits),
                                 static_cast<uint32_t>(bits >> 32));
}

void* GetPointer(uint32_t window, uint32_t unit, int32_t index) {
  return reinterpret_cast<void*>(
      static_cast<uintptr_t>(rt::Services().getUnitProperty(window, unit, index, kWholeProperty)));
}

}  // namespace

int32_t GetInt(uint32_t window, uint32_t unit, int32_t index) {
  return static_cast<int32_t>(rt::Services().getUnitProperty(window, unit, index, kWholeProperty));
}

void SetInt(uint32_t window, uint32_t unit, int32_t index, int32_t value) {
  rt::Services().setUnitProperty(window, unit, index, kWholeProperty, static_cast<uint32_t>(value),
                                 value < 0 ? 0xFFFFFFFFu : 0u);
}

void SetBool(uint32_t window, uint32_t unit, int32_t index, bool value) {
  rt::Services().setUnitProperty(window, unit, index, kWholeProperty, value ? 1u : 0u, 0u);
}

std::string GetText(uint32_t window, uint32_t unit, int32_t index) {
  auto* text = static_cast<char*>(GetPointer(window, unit, index));
  std::string out = text != nullptr ? text : "";
  FreeBlock(text);
  return out;
}

void SetText(uint32_t window, uint32_t unit, int32_t index, const char* text) {
  SetPointer(window, unit, index, text);
}

void* GetByteSet(uint32_t window, uint32_t unit, int32_t index) {
  return GetPointer(window, unit, index);
}

void SetByteSet(uint32_t window, uint32_t unit, int32_t index, const void* block) {
  SetPointer(window, unit, index, block);
}

void FreeBlock(void* block) {
  if (block != nullptr) rt::Services().freeMem(block);
}

bool LoadWindowModal(uint32_t window) {
  rt::ArgRecord loaded = rt::Call(cmd::LoadWindow, {rt::Arg::Unit(window, 0, kWindowType),
                                                    rt::Arg::Omitted(), rt::Arg::Bool(true)});
  return loaded.Low() != 0;
}

void CloseWindow(uint32_t window) {
  rt::Call(cmd::DestroyUnit, {rt::Arg::Unit(window, 0, kWindowType)});
}

int32_t WindowHandleOf(uint32_t window, uint32_t unit) {
  return static_cast<int32_t>(
      rt::Call(cmd::GetWindowHandle, {rt::Arg::Unit(window, unit, kWindowType)}).Low());
}

}  // namespace app
