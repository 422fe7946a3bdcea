// The watermark editor's steps over the animation box of the watermark window: a photo and a
// watermark, both objects placed from the template, the watermark dragged with the mouse,
// the whole scene scaled by the scale slider, the box scrolled inside its viewport. The
// state lives in the application globals, so a second opening of the window starts from
// what the first left; the objects themselves go with the box.
#pragma once

#include <cstdint>
#include <string>

namespace app::watermark {

// A new box holds no objects: the ids the globals kept from the last opening of the window
// name nothing, or worse, the new box's own objects, and no drag is going on.
void Forget();
// `picture` is a byte-set block (null: the empty picture, an object of size 0).
void SetPhoto(const void* picture);
// The template takes the watermark's picture and its layer, and the watermark is placed
// where the last drag began.
void SetWatermark(const void* picture);
// The watermark's transparency from its slider.
void ApplyTransparency();
// The template's current picture, zoom and layer, at (x, y), on top of the photo.
void PlaceWatermark(int32_t x, int32_t y);
// Applies the scale slider's position to the photo, the template and the watermark.
void Rescale();
// Box events: the left button pressed on `object`; released over, or left, `object`; the
// pointer moved to (x, y).
void PressObject(int32_t object);
void ReleaseObject(int32_t object);
// The left button let go anywhere: the drag is over.
void ReleaseButton();
void DragStep(int32_t x, int32_t y);
// The box takes the photo's size; the scroll bars cover what the viewport cannot show.
void Fit();

// Shows the file dialog with the image filter in open mode; the chosen file's bytes as a
// byte-set block (the caller frees it), or false when the dialog was cancelled.
bool ChooseImageFile(void** picture);

// Writes the composed box at full scale as a BMP file to the name the save dialog gives,
// followed by ".bmp", and tells the user how it went. Nothing when the dialog is cancelled.
void SaveScene();

}  // namespace app::watermark
