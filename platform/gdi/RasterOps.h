// Ternary raster operations: how a pattern (P), a source (S) and the destination (D)
// combine, bit by bit, into the new destination. A ROP code's bits 16-23 are its truth
// table: result bit = (index >> ((P ? 4 : 0) | (S ? 2 : 0) | (D ? 1 : 0))) & 1, applied to
// every bit of the raw pixel values. Binary raster operations of lines and fills (SetROP2)
// are the same thing without a source.
#pragma once

#include <cstdint>

#include "platform/wingdi.h"

namespace platform::gdi {

constexpr uint8_t RopIndex(DWORD rop) {
  return static_cast<uint8_t>(rop >> 16);
}

// Whether the truth table depends on an operand at all; an operand that does not matter
// need not be valid (BitBlt with PATCOPY takes no source DC).
constexpr bool RopUsesPattern(uint8_t index) {
  return (((index >> 4) ^ index) & 0x0F) != 0;
}
constexpr bool RopUsesSource(uint8_t index) {
  return (((index >> 2) ^ index) & 0x33) != 0;
}
constexpr bool RopUsesDest(uint8_t index) {
  return (((index >> 1) ^ index) & 0x55) != 0;
}

// The raster operation as data: its formula in reverse Polish over P, S and D with
// n (not), a (and), o (or) and x (xor); "0" and "1" for the constants.
const char* RopFormula(uint8_t index);
// Evaluates such a formula bitwise over raw values (0 for a malformed formula).
uint32_t EvaluateRopFormula(const char* formula, uint32_t pattern, uint32_t source, uint32_t dest);

// The per-pixel evaluator straight from the truth table.
uint32_t EvaluateRop3(uint8_t index, uint32_t pattern, uint32_t source, uint32_t dest);

// dest[i] = rop(pattern, source[i], dest[i]) & mask for one row of raw values. `source`
// may be null when the operation does not use it; it may alias `dest` only exactly.
void ApplyRop3Row(uint8_t index, uint32_t* dest, const uint32_t* source, uint32_t pattern,
                  int count, uint32_t mask);

// The ternary operation that a binary one (R2_BLACK … R2_WHITE) acts as, with the pen or
// brush as the pattern; codes outside 1-16 act as R2_COPYPEN.
uint8_t Rop2ToRop3(int rop2);

}  // namespace platform::gdi
