// Arithmetic, bit and colour commands. All integer work is done on unsigned or widened
// values so that no input can reach signed overflow.
#include <cmath>
#include <cstdint>

#include "commands/numeric/NumericCommands.h"
#include "commands/support/CommandArgs.h"
#include "commands/support/LibraryServices.h"

namespace cmd {

void IntDivide(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  // Fewer than two arguments leave nothing to divide by: the first value (or 0) comes
  // back unchanged. An omitted divisor likewise takes no part.
  double x = in.Double(0, 0.0);
  for (int32_t i = 1; i < in.Count(); ++i) {
    if (!in.Given(i)) continue;
    double divisor = in.Double(i, 1.0);
    if (divisor == 0.0) {
      RaiseError(kDivideByZeroMessage);
      SetDouble(result, 0.0);
      return;
    }
    // trunc rather than a cast to an integer: quotients beyond every integer range stay
    // defined (and keep their magnitude).
    x = std::trunc(x / divisor);
  }
  SetDouble(result, x);
}

void BitOr(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  uint32_t bits = 0;
  for (int32_t i = 0; i < in.Count(); ++i) bits |= static_cast<uint32_t>(in.Int(i, 0));
  SetInt(result, static_cast<int32_t>(bits));
}

void BitXor(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  uint32_t bits = 0;
  for (int32_t i = 0; i < in.Count(); ++i) bits ^= static_cast<uint32_t>(in.Int(i, 0));
  SetInt(result, static_cast<int32_t>(bits));
}

void ShiftLeft(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  uint32_t v = static_cast<uint32_t>(in.Int(0, 0));
  uint32_t n = static_cast<uint32_t>(in.Int(1, 0)) & 31;
  SetInt(result, static_cast<int32_t>(v << n));
}

void ShiftRight(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  int32_t v = in.Int(0, 0);
  uint32_t n = static_cast<uint32_t>(in.Int(1, 0)) & 31;
  // Right shifts of negative values copy the sign bit (guaranteed since C++20).
  SetInt(result, v >> n);
}

void Abs(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  double x = in.Double(0, 0.0);
  SetDouble(result, x >= 0 ? x : -x);
}

void Sin(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  SetDouble(result, std::sin(in.Double(0, 0.0)));
}

void ArcTan(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  SetDouble(result, std::atan(in.Double(0, 0.0)));
}

void ColorValue(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  uint32_t red = static_cast<uint32_t>(in.Int(0, 0)) & 0xFF;
  uint32_t green = static_cast<uint32_t>(in.Int(1, 0)) & 0xFF;
  uint32_t blue = static_cast<uint32_t>(in.Int(2, 0)) & 0xFF;
  SetInt(result, static_cast<int32_t>(blue << 16 | green << 8 | red));
}

}  // namespace cmd
