// A DLL command as the application declares it, and the call through it.
//
//   rt::DllCommand<decltype(::GetPixel), int32_t, int32_t, int32_t> getPixel{8};
//   int32_t color = getPixel(dc, x, y);
//
// The first parameter is the export's own function type; the call goes through a pointer of
// exactly that type, never through a function cast to some other signature. The rest are
// the parameters as the application declares them, in its own values: 32-bit integers
// for integers, bools and handles (converted to the export's handle types at the call),
// texts as the pointer the variable holds, byte sets (the function receives the address of
// the bytes), and the addresses of by-reference variables and records. What those push in
// the program's 32-bit convention is the declaration's argument byte count, which the
// service compares with what the bound export records before the call is made.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/win32_types.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/values/ValueBlocks.h"

namespace rt {

// A byte-set argument: the block as the value model holds it.
struct DllBytes {
  const void* block = nullptr;

  // The empty byte set arrives as null.
  void* Data() const {
    return block == nullptr
               ? nullptr
               : const_cast<uint8_t*>(static_cast<const uint8_t*>(block) + kByteSetHeader);
  }
};

namespace dll_detail {

// One 32-bit word for everything but the two 8-byte kinds.
template <class Declared>
constexpr uint32_t PushedBytes() {
  if constexpr (std::is_same_v<Declared, int64_t> || std::is_same_v<Declared, double>) {
    return 8;
  } else {
    static_assert(std::is_same_v<Declared, int32_t> || std::is_same_v<Declared, DllBytes> ||
                      std::is_pointer_v<Declared>,
                  "a DLL-command parameter is an integer, a text, a byte set or an address");
    return 4;
  }
}

template <class Parameter, class Declared>
Parameter ToExport(Declared value) {
  if constexpr (std::is_same_v<Declared, DllBytes>) {
    static_assert(std::is_pointer_v<Parameter>, "a byte set is passed by the address of its bytes");
    return static_cast<Parameter>(value.Data());
  } else if constexpr (std::is_pointer_v<Declared>) {
    static_assert(std::is_pointer_v<Parameter>, "an address goes to a pointer parameter");
    if constexpr (std::is_convertible_v<Declared, Parameter>) {
      return value;
    } else {
      // A record or variable given to a parameter the export types more loosely or
      // differently (a BITMAP record to an LPVOID buffer is convertible; a byte array to
      // a BITMAPINFO is not), as the declaration says.
      return reinterpret_cast<Parameter>(value);
    }
  } else if constexpr (std::is_pointer_v<Parameter>) {
    // Handles live in the application's 32-bit integers; 0 is also how it says "none".
    return reinterpret_cast<Parameter>(static_cast<intptr_t>(value));
  } else {
    return static_cast<Parameter>(value);
  }
}

// The 32-bit return value is the command's integer result.
template <class Result>
int32_t ToResult(Result value) {
  if constexpr (std::is_pointer_v<Result>) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(value));
  } else {
    return static_cast<int32_t>(value);
  }
}

}  // namespace dll_detail

template <class Export, class... Declared>
class DllCommand;

template <class Result, class... Parameters, class... Declared>
class DllCommand<Result(Parameters...), Declared...> {
  static_assert(sizeof...(Parameters) == sizeof...(Declared),
                "a declaration gives one value per parameter of the export");

 public:
  using Function = Result (*)(Parameters...);
  static constexpr uint32_t kArgumentBytes = (0u + ... + dll_detail::PushedBytes<Declared>());

  constexpr explicit DllCommand(int32_t index) : index_(index) {}
  int32_t Index() const { return index_; }

  int32_t operator()(Declared... arguments) const {
    // The detour through void(*)() is the conversion compilers accept between function
    // pointer types; the pointer ends up with the export's own type.
    const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(Services().callDllCommand(index_, kArgumentBytes)));
    if constexpr (std::is_void_v<Result>) {
      function(dll_detail::ToExport<Parameters>(arguments)...);
      return 0;
    } else {
      return dll_detail::ToResult(function(dll_detail::ToExport<Parameters>(arguments)...));
    }
  }

 private:
  int32_t index_;
};

}  // namespace rt
