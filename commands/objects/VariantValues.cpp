#include "commands/objects/VariantValues.h"

#include <cstring>
#include <string>

#include "commands/support/CommandArgs.h"
#include "commands/support/LibraryServices.h"
#include "platform/kernel32.h"
#include "platform/ole/OleAuto.h"
#include "runtime/values/ObjectValue.h"

namespace cmd {

namespace {

constexpr int32_t kNotifyFree = 2025;

void Free(void* block) {
  Notify(kNotifyFree, reinterpret_cast<intptr_t>(block));
}

template <class T>
T* PointerIn(uint64_t value) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(value));
}

VARTYPE VarTypeOf(rt::TypeCode kind) {
  switch (kind) {
    case rt::kTypeObject:
      return VT_UNKNOWN;
    case rt::kTypeBool:
      return VT_BOOL;
    case rt::kTypeDateTime:
      return VT_DATE;
    case rt::kTypeText:
      return VT_BSTR;
    case rt::kTypeByte:
      return VT_UI1;
    case rt::kTypeShort:
      return VT_I2;
    case rt::kTypeInt:
    case rt::kTypeLong:
      return VT_I4;
    case rt::kTypeFloat:
      return VT_R4;
    case rt::kTypeDouble:
      return VT_R8;
    default:
      return VT_EMPTY;
  }
}

bool IsBlockKind(rt::TypeCode kind) {
  return kind == rt::kTypeVariant || (!rt::IsBuiltin(kind) && (kind >> 16) != 0);
}

void ObjectToVariant(const rt::ObjectValue* held, VARTYPE declared, VARIANT* out) {
  out->vt = VT_UNKNOWN;
  out->punkVal = nullptr;
  if (held == nullptr || held->object == nullptr) return;
  if (held->record != nullptr) {
    // The argument gets a copy of the record: clearing the argument destroys its record,
    // and that must not be the data the caller's object still holds.
    VARIANT lent;
    VariantInit(&lent);
    lent.vt = VT_RECORD;
    lent.pvRecord = held->record;
    lent.pRecInfo = static_cast<IRecordInfo*>(held->object);
    if (FAILED(VariantCopy(out, &lent))) VariantInit(out);
  } else if (declared == VT_UNKNOWN) {
    out->punkVal = held->object;
    out->punkVal->AddRef();
  } else if (declared == VT_DISPATCH) {
    void* dispatch = nullptr;
    if (SUCCEEDED(held->object->QueryInterface(IID_IDispatch, &dispatch))) {
      out->vt = VT_DISPATCH;
      out->pdispVal = static_cast<IDispatch*>(dispatch);
    }
  }
}

}  // namespace

BSTR TextToBstr(const char* text) {
  if (text == nullptr) return nullptr;
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return SysAllocString(u"");
  std::u16string wide(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(n - 1));
}

char* BstrToText(BSTR text) {
  int length = static_cast<int>(SysStringLen(text));
  if (length == 0) return nullptr;
  int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return nullptr;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, bytes.data(), n, nullptr, nullptr);
  // A character that became a zero byte would end the text there, as it would anyway.
  return MakeText(std::string_view(bytes.c_str()));
}

bool ArgumentToVariant(const CommandArgs& args, int32_t i, VARTYPE declared, VARIANT* out) {
  VariantInit(out);
  if (args.IsArray(i)) return false;
  uint64_t value = args.Value(i);
  switch (args.Kind(i)) {
    case rt::kTypeObject:
      ObjectToVariant(PointerIn<rt::ObjectValue>(value), declared, out);
      return true;
    case rt::kTypeVariant: {
      const auto* held = PointerIn<VARIANT>(value);
      if (held != nullptr && FAILED(VariantCopyInd(out, held))) VariantInit(out);
      return true;
    }
    case rt::kTypeBool:
      out->vt = VT_BOOL;
      out->boolVal = static_cast<uint32_t>(value) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case rt::kTypeDateTime:
      out->vt = VT_DATE;
      std::memcpy(&out->date, &value, sizeof(double));
      return true;
    case rt::kTypeText:
      out->vt = VT_BSTR;
      out->bstrVal = TextToBstr(PointerIn<const char>(value));
      return true;
    case rt::kTypeByte:
      out->vt = VT_UI1;
      out->bVal = static_cast<uint8_t>(value);
      return true;
    case rt::kTypeShort:
      out->vt = VT_I2;
      out->iVal = static_cast<int16_t>(value);
      return true;
    case rt::kTypeInt:
    case rt::kTypeLong:
      out->vt = VT_I4;
      out->lVal = static_cast<int32_t>(static_cast<uint32_t>(value));
      return true;
    case rt::kTypeFloat:
      out->vt = VT_R4;
      std::memcpy(&out->fltVal, &value, sizeof(float));
      return true;
    case rt::kTypeDouble:
      out->vt = VT_R8;
      std::memcpy(&out->dblVal, &value, sizeof(double));
      return true;
    default:
      return false;
  }
}

bool VariantToValue(const VARIANT& v, rt::TypeCode kind, uint64_t* value) {
  *value = 0;
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantCopyInd(&copy, &v))) return false;
  if (copy.vt == VT_RECORD) {
    VariantClear(&copy);
    return false;
  }
  if (kind == rt::kTypeVariant) {
    void* block = Alloc(rt::kVariantValueBytes);
    if (block == nullptr) {
      VariantClear(&copy);
      return false;
    }
    std::memcpy(block, &copy, sizeof copy);  // the block takes over what the copy holds
    *value = reinterpret_cast<uintptr_t>(block);
    return true;
  }
  VARTYPE vt = VarTypeOf(kind);
  bool ok = vt != VT_EMPTY && SUCCEEDED(VariantChangeType(&copy, &copy, 0, vt));
  if (ok) {
    switch (kind) {
      case rt::kTypeObject: {
        auto* block = static_cast<rt::ObjectValue*>(Alloc(sizeof(rt::ObjectValue)));
        ok = block != nullptr;
        if (ok) {
          *block = {copy.punkVal, nullptr};
          copy.punkVal = nullptr;  // the block holds the reference now
          *value = reinterpret_cast<uintptr_t>(block);
        }
        break;
      }
      case rt::kTypeBool:
        *value = copy.boolVal != 0 ? 1 : 0;
        break;
      case rt::kTypeDateTime:
        std::memcpy(value, &copy.date, sizeof(double));
        break;
      case rt::kTypeText:
        *value = reinterpret_cast<uintptr_t>(BstrToText(copy.bstrVal));
        break;
      case rt::kTypeByte:
        *value = copy.bVal;
        break;
      case rt::kTypeShort:
        *value = static_cast<uint16_t>(copy.iVal);
        break;
      case rt::kTypeInt:
        *value = static_cast<uint32_t>(copy.lVal);
        break;
      case rt::kTypeLong:
        *value = static_cast<uint64_t>(int64_t{copy.lVal});
        break;
      case rt::kTypeFloat:
        std::memcpy(value, &copy.fltVal, sizeof(float));
        break;
      case rt::kTypeDouble:
        std::memcpy(value, &copy.dblVal, sizeof(double));
        break;
      default:
        ok = false;
    }
  }
  VariantClear(&copy);
  return ok;
}

void StoreIntoVariable(void* variable, rt::TypeCode kind, uint64_t value) {
  if (variable == nullptr) return;
  if (kind == rt::kTypeObject || kind == rt::kTypeVariant) {
    void* held = rt::ReadPointer(variable);
    void* fresh = PointerIn<void>(value);
    size_t bytes = kind == rt::kTypeObject ? sizeof(rt::ObjectValue) : rt::kVariantValueBytes;
    if (held == nullptr) {
      rt::WritePointer(variable, fresh);
      return;
    }
    // The variable keeps its block; what it held is released and the fresh value moves in.
    if (kind == rt::kTypeObject) {
      rt::ReleaseObjectValue(static_cast<rt::ObjectValue*>(held), Free);
    } else {
      VariantClear(static_cast<VARIANT*>(held));
    }
    std::memcpy(held, fresh, bytes);
    Free(fresh);
    return;
  }
  if (kind == rt::kTypeText) Free(rt::ReadPointer(variable));
  size_t size = rt::KindSize(kind);
  std::memcpy(variable, &value, size == 0 || size > 8 ? 8 : size);
}

uint64_t EmptyValueFor(rt::TypeCode kind) {
  if (!IsBlockKind(kind)) return 0;
  size_t bytes = kind == rt::kTypeVariant ? rt::kVariantValueBytes : sizeof(rt::ObjectValue);
  void* block = Alloc(bytes);
  if (block != nullptr) std::memset(block, 0, bytes);
  return reinterpret_cast<uintptr_t>(block);
}

}  // namespace cmd
