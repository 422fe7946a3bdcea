#include "pictures/display/PictureBox.h"

#include <utility>

#include "pictures/display/GdiHandles.h"
#include "pictures/display/PictureDrawing.h"

namespace pic {
namespace {

// Copies a bitmap onto a DC through a memory DC that holds it for the call only.
bool CopyBitmap(HDC dc, int x, int y, HBITMAP bitmap, int width, int height) {
  MemoryDc source = NewMemoryDc();
  if (!source) return false;
  Selected held(source.get(), bitmap);
  return held.Ok() && BitBlt(dc, x, y, width, height, source.get(), 0, 0, SRCCOPY) != FALSE;
}

}  // namespace

PictureBox::~PictureBox() {
  Release();
}

void PictureBox::Release() {
  // The player goes first: its thread draws with the canvas until it has stopped.
  player_.reset();
  ReleasePicture(std::exchange(picture_, nullptr));
  if (source_ != nullptr) DeleteObject(std::exchange(source_, nullptr));
  DropDrawn();
}

void PictureBox::DropDrawn() {
  if (drawn_ != nullptr) DeleteObject(std::exchange(drawn_, nullptr));
  drawnWidth_ = drawnHeight_ = 0;
}

void PictureBox::SetDisplayMode(int mode) {
  mode_ = mode;
  if (player_) player_->SetDisplayMode(mode);
  if (mode_ == kModeFitBox) FitWindowToPicture();
  InvalidateRect(window_, nullptr, FALSE);
}

void PictureBox::SetBackColor(COLORREF colour) {
  backColour_ = colour & 0x00FFFFFF;
  InvalidateRect(window_, nullptr, FALSE);
}

void PictureBox::FitWindowToPicture() {
  if (picture_ == nullptr || !IsWindow(window_)) return;
  RECT outer{}, client{};
  GetWindowRect(window_, &outer);
  GetClientRect(window_, &client);
  const int width = (outer.right - outer.left) - client.right + picture_->width;
  const int height = (outer.bottom - outer.top) - client.bottom + picture_->height;
  SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT PictureBox::StillRect(int clientWidth, int clientHeight) const {
  const DecodedPicture& p = *picture_;
  if (mode_ == kModeStretch || mode_ == kModeFitBox) return {0, 0, clientWidth, clientHeight};
  if (mode_ == kModeCentred) return FitCentred(p.width, p.height, clientWidth, clientHeight);
  return {0, 0, p.width, p.height};
}

void PictureBox::DrawStill(HDC dc, int clientWidth, int clientHeight) {
  const DecodedPicture& p = *picture_;
  const RECT r = StillRect(clientWidth, clientHeight);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  if (p.kind == kPictureIcon || p.kind == kPictureCursor) {
    PictureDrawJob(p).Draw(dc, r.left, r.top, w, h, SRCCOPY);
    return;
  }
  if (w == p.width && h == p.height) {
    if (source_ == nullptr) source_ = MakePictureBitmap(p);
    if (source_ != nullptr) CopyBitmap(dc, r.left, r.top, source_, w, h);
    return;
  }
  if (drawn_ == nullptr || drawnWidth_ != w || drawnHeight_ != h) {
    DropDrawn();
    HBITMAP stretched = CreateCompatibleBitmap(nullptr, w, h);
    if (stretched == nullptr || !StretchInto(stretched, w, h)) {
      if (stretched != nullptr) DeleteObject(stretched);
      return;
    }
    drawn_ = stretched;
    drawnWidth_ = w;
    drawnHeight_ = h;
    ++stretches_;
  }
  CopyBitmap(dc, r.left, r.top, drawn_, w, h);
}

bool PictureBox::StretchInto(HBITMAP stretched, int w, int h) {
  const DecodedPicture& p = *picture_;
  MemoryDc to = NewMemoryDc();
  if (!to) return false;
  Selected into(to.get(), stretched);
  if (!into.Ok()) return false;
  SetStretchBltMode(to.get(), PictureStretchMode());
  // A photo's rows are a DIB already: stretched from where they lie, the picture never
  // needs a device bitmap of its own size, four bytes a pixel (48 MB for 12 megapixels).
  BITMAPINFO info;
  if (DibRowsOf(p, &info)) {
    return StretchDIBits(to.get(), 0, 0, w, h, 0, 0, p.width, p.height, p.pixels, &info,
                         DIB_RGB_COLORS, SRCCOPY) != 0;
  }
  if (source_ == nullptr) source_ = MakePictureBitmap(p);
  MemoryDc from = NewMemoryDc();
  if (source_ == nullptr || !from) return false;
  Selected held(from.get(), source_);
  return held.Ok() &&
         StretchBlt(to.get(), 0, 0, w, h, from.get(), 0, 0, p.width, p.height, SRCCOPY) != FALSE;
}

bool SetPictureBoxData(PictureBox& box, const uint8_t* bytes, size_t length) {
  box.Release();
  bool decoded = false;
  if (bytes != nullptr && length > 0) {
    if (box.animate_ && DetectPictureKind(bytes, length) == kPictureGif) {
      box.player_ = GifPlayer::Open(bytes, length);
      if (box.player_) {
        box.player_->SetDisplayMode(box.mode_);
        // While animating, the record only marks the kind and the logical screen size.
        box.picture_ = new DecodedPicture;
        box.picture_->kind = kPictureGif;
        box.picture_->width = box.player_->ScreenWidth();
        box.picture_->height = box.player_->ScreenHeight();
      }
    } else {
      box.picture_ = DecodePicture(bytes, length);
    }
    ++box.decodes_;
    decoded = box.picture_ != nullptr;
    if (decoded && box.mode_ == kModeFitBox) box.FitWindowToPicture();
  }
  InvalidateRect(box.window_, nullptr, FALSE);
  return decoded;
}

void PaintPictureBox(PictureBox& box, HDC dc) {
  RECT client{};
  GetClientRect(box.window_, &client);
  GifPlayer* player = box.player_.get();
  const int saved = SaveDC(dc);
  if (player != nullptr && player->FirstFrameShown()) {
    // The canvas is on screen already: filling under it would make it flicker.
    const RECT canvas = player->CanvasRect(client.right, client.bottom);
    ExcludeClipRect(dc, canvas.left, canvas.top, canvas.right, canvas.bottom);
  } else if (player == nullptr && box.picture_ != nullptr && box.picture_->kind != kPictureIcon &&
             box.picture_->kind != kPictureCursor) {
    // A bitmap covers its rectangle whole: the colour goes only around it, so a stretched
    // picture repaints with one copy.
    const RECT still = box.StillRect(client.right, client.bottom);
    ExcludeClipRect(dc, still.left, still.top, still.right, still.bottom);
  }
  HBRUSH brush = CreateSolidBrush(box.backColour_);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  PatBlt(dc, 0, 0, client.right, client.bottom, PATCOPY);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  RestoreDC(dc, saved);

  if (player != nullptr) {
    if (player->Running()) {
      player->PaintCanvas(dc, client.right, client.bottom);
    } else {
      player->Start(box.window_);
    }
  } else if (box.picture_ != nullptr) {
    box.DrawStill(dc, client.right, client.bottom);
  }
}

void PictureBoxPaint(PictureBox& box) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(box.window_, &ps);
  if (dc != nullptr) PaintPictureBox(box, dc);
  EndPaint(box.window_, &ps);
}

}  // namespace pic
