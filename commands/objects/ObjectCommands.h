// The core library's OLE Automation commands: objects made from a class name, their
// members read and called by name through IDispatch and their type information, and
// variants turned into runtime values. They never raise runtime errors: a failure shows
// in the result (false, an empty object or variant, an empty text) and in the calling
// thread's ObjectCallStatus.
#pragma once

#include <cstdint>

#include "runtime/calls/ArgRecord.h"

namespace cmd {

// object variable, class text (ProgID or {CLSID}), optional type-library file -> bool.
void CreateObject(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// object variable -> none.
void ReleaseObject(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// object, member name, member arguments... -> variant (call kind read).
void ReadObjectMember(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// object, member name, member arguments... -> none (call kind call).
void CallObjectMethod(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// variant -> none; the block is left zeroed.
void ClearVariant(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// variant, optional 1-based element number of an array variant -> text.
void VariantToText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

enum class CallKind : int32_t { Read = 1, Write = 2, Call = 3 };

// The result record's type on entry is the wanted result type (0 for none). Arguments:
// the object, the member name, then the member's arguments in order.
void CallObjectMember(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args, CallKind kind);

// Set by every CallObjectMember on its thread: 0 success, -1 .. -18 the failure.
int32_t ObjectCallStatus();

namespace object_status {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kEmptyObject = -1;
inline constexpr int32_t kNoDispatch = -2;
inline constexpr int32_t kNoMember = -3;
inline constexpr int32_t kNoTypeInfo = -4;
inline constexpr int32_t kTooManyArguments = -5;
inline constexpr int32_t kArgumentKind = -7;
inline constexpr int32_t kResultKind = -8;
inline constexpr int32_t kBadParamCount = -9;
inline constexpr int32_t kBadVarType = -10;
inline constexpr int32_t kException = -11;
inline constexpr int32_t kMemberNotFound = -12;
inline constexpr int32_t kNoNamedArgs = -13;
inline constexpr int32_t kOverflow = -14;
inline constexpr int32_t kParamNotFound = -15;
inline constexpr int32_t kTypeMismatch = -16;
inline constexpr int32_t kParamNotOptional = -17;
inline constexpr int32_t kInvokeFailed = -18;
}  // namespace object_status

}  // namespace cmd
