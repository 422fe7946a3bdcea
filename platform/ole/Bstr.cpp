// BSTR: a block of [4 spare bytes][32-bit byte length][characters][zero character], the
// string pointing at the characters. The spare bytes keep the characters 8-byte aligned.
#include <cstdlib>
#include <cstring>

#include "platform/ole/OleAuto.h"

namespace {

constexpr size_t kPrefix = 8;

BSTR AllocateBytes(const void* bytes, UINT byteLength) {
  auto* block = static_cast<uint8_t*>(std::malloc(kPrefix + size_t{byteLength} + 2));
  if (block == nullptr) return nullptr;
  std::memcpy(block + 4, &byteLength, 4);
  if (bytes != nullptr) {
    std::memcpy(block + kPrefix, bytes, byteLength);
  } else {
    std::memset(block + kPrefix, 0, byteLength);
  }
  block[kPrefix + byteLength] = 0;
  block[kPrefix + byteLength + 1] = 0;
  return reinterpret_cast<BSTR>(block + kPrefix);
}

size_t WideLength(LPCOLESTR text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace

BSTR SysAllocString(LPCOLESTR text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(WideLength(text)));
}

BSTR SysAllocStringLen(LPCOLESTR text, UINT length) {
  if (length > 0x7FFFFFF0u / 2) return nullptr;
  return AllocateBytes(text, length * 2);
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) {
  if (length > 0x7FFFFFF0u) return nullptr;
  return AllocateBytes(bytes, length);
}

int SysReAllocString(BSTR* bstr, LPCOLESTR text) {
  if (bstr == nullptr) return FALSE;
  BSTR fresh = SysAllocString(text);
  if (fresh == nullptr && text != nullptr) return FALSE;
  SysFreeString(*bstr);
  *bstr = fresh;
  return TRUE;
}

void SysFreeString(BSTR bstr) {
  if (bstr != nullptr) std::free(reinterpret_cast<uint8_t*>(bstr) - kPrefix);
}

UINT SysStringByteLen(BSTR bstr) {
  if (bstr == nullptr) return 0;
  UINT bytes;
  std::memcpy(&bytes, reinterpret_cast<uint8_t*>(bstr) - 4, 4);
  return bytes;
}

UINT SysStringLen(BSTR bstr) {
  return SysStringByteLen(bstr) / 2;
}
