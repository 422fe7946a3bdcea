// Fatal runtime errors: one message box, then the program ends with exit code -1.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// Messages of the eleven numbered errors the application code raises (index = code).
const char* NumberedErrorMessage(int32_t code);

// Shows the error and ends the program; never returns.
[[noreturn]] void ReportRuntimeError(const char* message, int32_t code);
// A numbered error 1-11 (other codes are reported with an empty message).
[[noreturn]] void RaiseRuntimeError(int32_t code);

// An intercept routine may suppress the message box by returning non-zero.
using ErrorInterceptRoutine = int32_t (*)(int32_t code, const char* message);
void SetErrorIntercept(ErrorInterceptRoutine routine);

// Builds the message box text exactly as shown (GBK).
void FormatRuntimeErrorText(const char* message, int32_t code, char* out, size_t outSize);

}  // namespace rt
