// The fixed records through which the application code tells the runtime where its parts lie.
#pragma once

#include <cstdint>

#include "runtime/calls/ArgRecord.h"

namespace rt {

// Per-library notification routine: (code, argument 1, argument 2) -> result.
using LibraryNotifyRoutine = intptr_t (*)(int32_t code, intptr_t arg1, intptr_t arg2);

struct LibraryDescriptor {
  uint32_t marker;  // 0x01312D65
  const char* identifier;
  uint32_t version[3];
  uint32_t furtherVersion[4];
  const char* displayName;
  uint32_t one;
  uint32_t reserved1;
  uint32_t flags;
  uint32_t reserved2[8];
  uint32_t dataTypeCount;
  const void* dataTypes;
  uint32_t reserved3[2];
  uint32_t commandCount;
  const void* reservedPointer;
  const CommandRoutine* commands;
  uint32_t reserved4[2];
  LibraryNotifyRoutine notify;
  uint32_t reserved5[5];
};

struct ImageHeader {
  uint32_t runMode;
  uint32_t secondMode;
  uint32_t lastIdNumber;
  const void* codeBase;
  const void* constantData;
  uint32_t constantDataSize;
  const void* formData;
  uint32_t formDataSize;
  uint32_t libraryCount;
  const LibraryDescriptor* const* libraries;
  uint32_t dllCommandCount;
  const char* const* dllModuleNames;
  const char* const* dllFunctionNames;
};

}  // namespace rt
