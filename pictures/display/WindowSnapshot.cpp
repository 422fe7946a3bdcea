#include "pictures/display/WindowSnapshot.h"

#include <cstring>
#include <memory>

#include "pictures/display/GdiHandles.h"
#include "pictures/display/PictureDrawing.h"

namespace pic {
namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
// A size asked for in pixels is the caller's to choose; beyond this many pixels (384 MiB of
// BMP) the snapshot is refused instead of exhausting memory.
constexpr int64_t kMaxSnapshotPixels = int64_t{1} << 27;

// A DC of the window (or the screen), released however we leave.
class SourceDc {
 public:
  explicit SourceDc(HWND window)
      : window_(window), dc_(window != nullptr ? GetWindowDC(window) : GetDC(nullptr)) {}
  ~SourceDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  SourceDc(const SourceDc&) = delete;
  SourceDc& operator=(const SourceDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

void PutWord(uint8_t* at, uint16_t v) {
  std::memcpy(at, &v, 2);
}
void PutLong(uint8_t* at, uint32_t v) {
  std::memcpy(at, &v, 4);
}

}  // namespace

int SnapshotExtent(int asked, int source) {
  if (asked == 0) return source;
  if (asked > 0) return asked;
  const int64_t percent = asked < -10 ? -int64_t{asked} : 10;
  return static_cast<int>(int64_t{source} * percent / 100);
}

std::vector<uint8_t> WindowSnapshot(HWND window, int width, int height) {
  int sourceWidth = 0, sourceHeight = 0;
  if (window != nullptr) {
    if (!IsWindow(window)) return {};
    RECT r{};
    GetWindowRect(window, &r);
    sourceWidth = r.right - r.left;
    sourceHeight = r.bottom - r.top;
  } else {
    sourceWidth = GetSystemMetrics(SM_CXSCREEN);
    sourceHeight = GetSystemMetrics(SM_CYSCREEN);
  }
  if (sourceWidth <= 0 || sourceHeight <= 0) return {};
  const int targetWidth = SnapshotExtent(width, sourceWidth);
  const int targetHeight = SnapshotExtent(height, sourceHeight);
  if (targetWidth <= 0 || targetHeight <= 0) return {};
  if (int64_t{targetWidth} * targetHeight > kMaxSnapshotPixels) return {};

  SourceDc source(window);
  MemoryDc memory = NewMemoryDc(source.Get());
  if (source.Get() == nullptr || !memory) return {};
  GdiObject copy(CreateCompatibleBitmap(source.Get(), sourceWidth, sourceHeight));
  if (!copy) return {};
  {
    Selected held(memory.get(), copy.get());
    if (!held.Ok()) return {};
    BitBlt(memory.get(), 0, 0, sourceWidth, sourceHeight, source.Get(), 0, 0, SRCCOPY);
  }

  GdiObject picture = std::move(copy);
  if (targetWidth != sourceWidth || targetHeight != sourceHeight) {
    GdiObject scaled(CreateCompatibleBitmap(source.Get(), targetWidth, targetHeight));
    MemoryDc from = NewMemoryDc(source.Get());
    if (!scaled || !from) return {};
    {
      Selected a(from.get(), picture.get()), b(memory.get(), scaled.get());
      SetStretchBltMode(memory.get(), PictureStretchMode());
      StretchBlt(memory.get(), 0, 0, targetWidth, targetHeight, from.get(), 0, 0, sourceWidth,
                 sourceHeight, SRCCOPY);
    }
    picture = std::move(scaled);
  }

  // The screen here is never a palette device, so the default palette is the one in use.
  BITMAPINFO info{};
  info.bmiHeader.biSize = kInfoHeaderBytes;
  info.bmiHeader.biWidth = targetWidth;
  info.bmiHeader.biHeight = targetHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(targetWidth) * 24 + 31) / 32 * 4;
  size_t imageBytes = stride * static_cast<size_t>(targetHeight);
  std::vector<uint8_t> file(kFileHeaderBytes + kInfoHeaderBytes + imageBytes);
  uint8_t* pixels = file.data() + kFileHeaderBytes + kInfoHeaderBytes;
  if (GetDIBits(source.Get(), static_cast<HBITMAP>(picture.get()), 0,
                static_cast<UINT>(targetHeight), pixels, &info, DIB_RGB_COLORS) != targetHeight) {
    return {};
  }
  if (info.bmiHeader.biSizeImage != 0 && info.bmiHeader.biSizeImage < imageBytes) {
    imageBytes = info.bmiHeader.biSizeImage;
    file.resize(kFileHeaderBytes + kInfoHeaderBytes + imageBytes);
  }
  info.bmiHeader.biSizeImage = static_cast<DWORD>(imageBytes);
  std::memcpy(file.data() + kFileHeaderBytes, &info.bmiHeader, kInfoHeaderBytes);
  file[0] = 'B';
  file[1] = 'M';
  PutLong(file.data() + 2, static_cast<uint32_t>(file.size()));
  PutWord(file.data() + 6, 0);
  PutWord(file.data() + 8, 0);
  PutLong(file.data() + 10, kFileHeaderBytes + kInfoHeaderBytes);
  return file;
}

}  // namespace pic
