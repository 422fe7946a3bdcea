// Drawing jobs and the routines built on them. A job lives for one drawing (or one set of
// tiles); what a unit wants to keep between paints it keeps itself (see PictureBox).
#include "pictures/display/PictureDrawing.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "pictures/display/GdiHandles.h"

namespace pic {
namespace {

// A still GIF's first frame may be smaller than its logical screen; the picture is the
// screen's size, with the frame in its top-left corner.
HBITMAP GifScreenBitmap(const DecodedPicture& picture) {
  HBITMAP frame = DecodedPictureToBitmap(picture);
  if (frame == nullptr) return nullptr;
  BITMAP info{};
  GetObjectA(frame, sizeof(info), &info);
  if (info.bmWidth == picture.width && info.bmHeight == picture.height) return frame;
  HBITMAP screen = CreateCompatibleBitmap(nullptr, picture.width, picture.height);
  MemoryDc from = NewMemoryDc(), to = NewMemoryDc();
  bool ok = screen != nullptr && from && to;
  if (ok) {
    Selected a(from.get(), frame), b(to.get(), screen);
    ok = a.Ok() && b.Ok() &&
         BitBlt(to.get(), 0, 0, picture.width, picture.height, from.get(), 0, 0, SRCCOPY);
  }
  DeleteObject(frame);
  if (!ok && screen != nullptr) {
    DeleteObject(screen);
    screen = nullptr;
  }
  return screen;
}

}  // namespace

int PictureStretchMode() {
  // The screen's depth never changes while we run; a memory DC answers for the screen.
  static const int mode = [] {
    MemoryDc dc = NewMemoryDc();
    return dc && GetDeviceCaps(dc.get(), BITSPIXEL) > 16 ? HALFTONE : COLORONCOLOR;
  }();
  return mode;
}

HBITMAP MakePictureBitmap(const DecodedPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return nullptr;
  switch (picture.kind) {
    case kPictureGif:
      return GifScreenBitmap(picture);
    case kPictureJpeg:
    case kPictureBmp:
    case kPicturePcx8:
    case kPicturePcx1:
      return DecodedPictureToBitmap(picture);
    default:
      return nullptr;
  }
}

PictureDrawJob::PictureDrawJob(const DecodedPicture& picture)
    : width_(picture.width), height_(picture.height) {
  if (picture.kind == kPictureIcon || picture.kind == kPictureCursor) {
    icon_ = picture.icon;
  } else {
    bitmap_ = MakePictureBitmap(picture);
  }
}

PictureDrawJob::~PictureDrawJob() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

HBITMAP PictureDrawJob::TakeBitmap() {
  return std::exchange(bitmap_, nullptr);
}

bool PictureDrawJob::Draw(HDC dc, int x, int y, int width, int height, DWORD rop) const {
  SetStretchBltMode(dc, PictureStretchMode());
  if (width == -1) width = width_;
  if (height == -1) height = height_;
  if (icon_ != nullptr) return DrawIconEx(dc, x, y, icon_, width, height, 0, nullptr, DI_NORMAL);
  if (bitmap_ == nullptr) return false;
  MemoryDc source = NewMemoryDc();
  if (!source) return false;
  Selected picture(source.get(), bitmap_);
  if (!picture.Ok()) return false;
  return StretchBlt(dc, x, y, width, height, source.get(), 0, 0, width_, height_, rop);
}

bool PictureDrawJob::DrawTransparent(HDC dc, int x, int y, int width, int height,
                                     COLORREF key) const {
  // An icon carries its own transparency.
  if (icon_ != nullptr || bitmap_ == nullptr) return Draw(dc, x, y, width, height, SRCCOPY);
  SetStretchBltMode(dc, PictureStretchMode());
  if (width == -1) width = width_;
  if (height == -1) height = height_;
  MemoryDc source = NewMemoryDc(), maskDc = NewMemoryDc();
  HBITMAP mask = CreateBitmap(width_, height_, 1, 1, nullptr);
  bool ok = source && maskDc && mask != nullptr;
  if (ok) {
    Selected picture(source.get(), bitmap_), maskSelected(maskDc.get(), mask);
    ok = picture.Ok() && maskSelected.Ok();
    if (ok) {
      // Copying colour into monochrome makes the pixels of the background colour 1.
      SetBkColor(source.get(), key);
      ok = BitBlt(maskDc.get(), 0, 0, width_, height_, source.get(), 0, 0, SRCCOPY);
    }
    if (ok) {
      // The mask's 1 bits become white and its 0 bits black on the target: picture XOR
      // target, cleared where the picture shows, XOR picture again.
      const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
      const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
      ok = StretchBlt(dc, x, y, width, height, source.get(), 0, 0, width_, height_, SRCINVERT) &&
           StretchBlt(dc, x, y, width, height, maskDc.get(), 0, 0, width_, height_, SRCAND) &&
           StretchBlt(dc, x, y, width, height, source.get(), 0, 0, width_, height_, SRCINVERT);
      SetBkColor(dc, oldBk);
      SetTextColor(dc, oldText);
    }
  }
  if (mask != nullptr) DeleteObject(mask);
  return ok;
}

bool DrawPicture(const DecodedPicture* picture, HDC dc, int x, int y, int width, int height) {
  if (picture == nullptr) return false;
  PictureDrawJob job(*picture);
  return job.Valid() && job.Draw(dc, x, y, width, height, SRCCOPY);
}

bool DrawPictureTransparent(const DecodedPicture* picture, HDC dc, int x, int y, int width,
                            int height, COLORREF key) {
  if (picture == nullptr) return false;
  PictureDrawJob job(*picture);
  return job.Valid() && job.DrawTransparent(dc, x, y, width, height, key);
}

RECT FitCentred(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
  int x = 0, y = 0, w = areaWidth, h = areaHeight;
  if (areaWidth >= pictureWidth) {
    x = (areaWidth - pictureWidth) / 2;
    w = pictureWidth;
  }
  if (areaHeight >= pictureHeight) {
    y = (areaHeight - pictureHeight) / 2;
    h = pictureHeight;
  }
  if ((pictureWidth > w || pictureHeight > h) && pictureWidth > 0 && pictureHeight > 0) {
    // The scale is min(w / pw, h / ph), applied in whole numbers: in floating point,
    // pw * (w / pw) can come out just below w and leave a one-pixel gap.
    int drawnWidth = w, drawnHeight = h;
    if (int64_t{w} * pictureHeight <= int64_t{h} * pictureWidth) {
      drawnHeight = static_cast<int>(int64_t{pictureHeight} * w / pictureWidth);
    } else {
      drawnWidth = static_cast<int>(int64_t{pictureWidth} * h / pictureHeight);
    }
    x += (w - drawnWidth) / 2;
    y += (h - drawnHeight) / 2;
    w = drawnWidth;
    h = drawnHeight;
  }
  return {x, y, x + w, y + h};
}

void DrawBackgroundPicture(int mode, HDC dc, const DecodedPicture* picture, const RECT& rect,
                           const RECT& update, HRGN region) {
  if (picture == nullptr || mode < 0 || mode > 2) return;
  PictureDrawJob job(*picture);
  if (!job.Valid() || job.Width() <= 0 || job.Height() <= 0) return;
  RECT covered{};
  switch (mode) {
    case 0:
      covered = {rect.left, rect.top, rect.left + job.Width(), rect.top + job.Height()};
      job.Draw(dc, rect.left, rect.top, -1, -1, SRCCOPY);
      break;
    case 1:
      for (int top = rect.top; top < rect.bottom; top += job.Height()) {
        if (top + job.Height() <= update.top || top >= update.bottom) continue;
        for (int left = rect.left; left < rect.right; left += job.Width()) {
          if (left + job.Width() <= update.left || left >= update.right) continue;
          job.Draw(dc, left, top, -1, -1, SRCCOPY);
        }
      }
      return;
    case 2: {
      covered =
          FitCentred(job.Width(), job.Height(), rect.right - rect.left, rect.bottom - rect.top);
      OffsetRect(&covered, rect.left, rect.top);
      job.Draw(dc, covered.left, covered.top, covered.right - covered.left,
               covered.bottom - covered.top, SRCCOPY);
      break;
    }
  }
  if (region != nullptr) {
    HRGN drawn = CreateRectRgnIndirect(&covered);
    CombineRgn(region, region, drawn, RGN_DIFF);
    DeleteObject(drawn);
  }
}

}  // namespace pic
