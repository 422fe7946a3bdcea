// Drawing decoded pictures onto a device context: one drawing job per drawing (an icon
// handle or a device bitmap made from the picture's pixel block), opaque or with a key
// colour left out, and the background pictures of windows and other units.
#pragma once

#include <cstdint>

#include "pictures/DecodedPicture.h"
#include "platform/wingdi.h"

namespace pic {

// HALFTONE on a screen of more than 16 bits per pixel, else COLORONCOLOR. Every stretched
// drawing of a picture sets it on its target first.
int PictureStretchMode();

// What one drawing needs: the icon (kinds 3 and 4, borrowed from the picture) or a device
// bitmap made for this job and deleted with it.
class PictureDrawJob {
 public:
  explicit PictureDrawJob(const DecodedPicture& picture);
  ~PictureDrawJob();
  PictureDrawJob(const PictureDrawJob&) = delete;
  PictureDrawJob& operator=(const PictureDrawJob&) = delete;

  // False when the picture could not be turned into something drawable.
  bool Valid() const { return icon_ != nullptr || bitmap_ != nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Bitmap() const { return bitmap_; }
  // Hands the bitmap over to the caller (who deletes it); the job then draws nothing.
  HBITMAP TakeBitmap();

  // A width or height of -1 is the picture's own.
  bool Draw(HDC dc, int x, int y, int width, int height, DWORD rop) const;
  bool DrawTransparent(HDC dc, int x, int y, int width, int height, COLORREF key) const;

 private:
  HICON icon_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// A bitmap of the picture's own size in the screen's format; null for icons, cursors and
// pictures that cannot be drawn. The caller deletes it.
HBITMAP MakePictureBitmap(const DecodedPicture& picture);

bool DrawPicture(const DecodedPicture* picture, HDC dc, int x, int y, int width, int height);
bool DrawPictureTransparent(const DecodedPicture* picture, HDC dc, int x, int y, int width,
                            int height, COLORREF key);

// Centred in the area and shrunk to fit with its proportions kept, never enlarged: the
// rectangle (left, top, right, bottom) relative to the area's top-left corner.
RECT FitCentred(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// Modes: 0 at the rectangle's top-left corner at natural size, 1 tiled from that corner
// (only the tiles that meet `update`), 2 centred and shrunk to fit. In modes 0 and 2 the
// part of `rect` the picture covers is taken out of `region` (when given), so that the
// caller fills only the rest with its background colour. Any other mode draws nothing.
void DrawBackgroundPicture(int mode, HDC dc, const DecodedPicture* picture, const RECT& rect,
                           const RECT& update, HRGN region);

}  // namespace pic
