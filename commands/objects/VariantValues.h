// Runtime values to VARIANT arguments and VARIANT results back to runtime values, by the
// runtime kind; texts cross in the ANSI code page.
#pragma once

#include <cstdint>

#include "platform/ole/ComTypes.h"
#include "runtime/calls/ArgRecord.h"

namespace cmd {

class CommandArgs;

// GBK text -> fresh BSTR (null text -> null BSTR), and back into a fresh runtime text
// (null for empty).
BSTR TextToBstr(const char* text);
char* BstrToText(BSTR text);

// Argument i as a VARIANT for a parameter declared as `declared` (what it refers to for a
// by-reference parameter; VT_EMPTY when unknown). False for a kind that cannot become one.
bool ArgumentToVariant(const CommandArgs& args, int32_t i, VARTYPE declared, VARIANT* out);

// The VARIANT as a fresh value of the runtime kind: the value word of a result record.
// False when it cannot be converted (a record, a failed change, a kind without a VARTYPE).
bool VariantToValue(const VARIANT& v, rt::TypeCode kind, uint64_t* value);

// Stores a converted value (VariantToValue's word) into a caller's variable of that kind,
// releasing or freeing what the variable held.
void StoreIntoVariable(void* variable, rt::TypeCode kind, uint64_t value);

// The block a failed call hands back for kinds held in blocks (a zeroed object or variant),
// else 0.
uint64_t EmptyValueFor(rt::TypeCode kind);

}  // namespace cmd
