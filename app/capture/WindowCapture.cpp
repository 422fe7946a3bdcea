// The capture goes through the program's declared platform functions, in the order the
// platform expects: print the window into a compatible bitmap, ask the platform what format
// it will hand the rows out in, then take the rows. Every GDI object made here is released
// before returning, on the failure path too.
#include "app/capture/WindowCapture.h"

#include <cstring>

#include "commands/numeric/NumericCommands.h"
#include "libraries/ProgramDllCommands.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace app::capture {
namespace {

namespace dll = libs::dll;

constexpr int32_t kFileHeaderBytes = 14;
constexpr int32_t kInfoHeaderBytes = 40;
// GetObjectA is asked for the 24 bytes the application's BITMAP record has room for: the
// fields up to the bit count, which is all it reads.
constexpr int32_t kBitmapRecordBytes = 24;

// A byte set the capture owns until it hands the joined result out.
struct OwnedBytes {
  void* block = nullptr;
  explicit OwnedBytes(void* b) : block(b) {}
  ~OwnedBytes() { rt::FreeMem(block); }
  OwnedBytes(const OwnedBytes&) = delete;
  OwnedBytes& operator=(const OwnedBytes&) = delete;
  rt::ByteSetView View() const { return rt::ViewByteSet(block); }
};

void* ZeroBytes(int32_t count) {
  return rt::Call(cmd::ZeroBytes, {rt::Arg::Int(count)}).Pointer();
}

void PutLittleEndian(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// File header + info header + pixel rows, in one fresh byte set.
void* JoinBmp(rt::ByteSetView info, rt::ByteSetView pixels) {
  const size_t total = kFileHeaderBytes + info.size + pixels.size;
  auto* block = static_cast<uint8_t*>(rt::AllocMemSized(total + rt::kByteSetHeader));
  rt::WriteInt32(block, 1);
  rt::WriteInt32(block + 4, static_cast<int32_t>(total));
  uint8_t* out = block + rt::kByteSetHeader;
  const uint32_t dataOffset = kInfoHeaderBytes + kFileHeaderBytes;
  PutLittleEndian(out, 0x4D42, 2);  // "BM"
  PutLittleEndian(out + 2, dataOffset + static_cast<uint32_t>(pixels.size), 4);
  PutLittleEndian(out + 6, 0, 4);
  PutLittleEndian(out + 10, dataOffset, 4);
  if (info.size > 0) std::memcpy(out + kFileHeaderBytes, info.data, info.size);
  if (pixels.size > 0) std::memcpy(out + kFileHeaderBytes + info.size, pixels.data, pixels.size);
  return block;
}

}  // namespace

void* CaptureWindow(int32_t window) {
  if (dll::IsWindow(window) == 0) return nullptr;
  RECT frame{};
  dll::GetWindowRect(window, &frame);
  const int32_t w = frame.right - frame.left;
  const int32_t h = frame.bottom - frame.top;

  const int32_t screen = dll::CaptureGetDC(0);
  const int32_t mem = dll::CaptureCreateCompatibleDC(screen);
  const int32_t bmp = dll::CaptureCreateCompatibleBitmap(screen, w, h);
  const int32_t old = dll::CaptureSelectObject(mem, bmp);
  auto release = [&] {
    dll::CaptureSelectObject(mem, old);
    dll::CaptureDeleteObject(bmp);
    dll::CaptureDeleteDC(mem);
    dll::CaptureReleaseDC(0, screen);
  };
  if (dll::PrintWindow(window, mem, 0) == 0) {
    release();
    return nullptr;
  }

  BITMAP bitmap{};
  dll::GetObjectA(bmp, kBitmapRecordBytes, &bitmap);
  BITMAPINFO header{};
  header.bmiHeader.biSize = kInfoHeaderBytes;
  dll::GetDIBitsFormat(mem, bmp, 0, 0, 0, &header, 0);
  header.bmiHeader.biCompression = 0;
  OwnedBytes pixels(ZeroBytes(static_cast<int32_t>(header.bmiHeader.biSizeImage)));
  dll::GetDIBitsRows(mem, bmp, 0, bitmap.bmHeight, rt::DllBytes{pixels.block}, &header, 0);
  OwnedBytes info(ZeroBytes(kInfoHeaderBytes));
  dll::CopyHeaderToBytes(rt::DllBytes{info.block}, &header, kInfoHeaderBytes);
  release();
  return JoinBmp(info.View(), pixels.View());
}

void* CaptureAndCrop(int32_t window, int32_t x, int32_t y, int32_t w, int32_t h) {
  OwnedBytes whole(CaptureWindow(window));
  return CropBmp(whole.block, x, y, w, h);
}

}  // namespace app::capture
