// The core library's arithmetic, bit, random-number, colour and conversion commands, and
// the commands that build and take apart byte sets. Byte-set positions are 1-based.
#pragma once

#include <cstdint>

#include "runtime/calls/ArgRecord.h"

namespace cmd {

// Arithmetic and bits.
void IntDivide(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void BitOr(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void BitXor(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void ShiftLeft(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void ShiftRight(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void Abs(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void Sin(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void ArcTan(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void ColorValue(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

// Random numbers: one generator per thread.
void SetRandomSeed(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void RandomInt(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

// Values as text.
void ToText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void ToHexText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

// Byte sets.
void ToBytes(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void BytesLength(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void MidBytes(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void ZeroBytes(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void BytesValue(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

}  // namespace cmd
