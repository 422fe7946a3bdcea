#include "app/watermark/WatermarkEditor.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "app/watermark/WatermarkUnits.h"
#include "commands/files/FileCommands.h"
#include "commands/numeric/NumericCommands.h"
#include "commands/system/SystemCommands.h"
#include "forms/data/UnitId.h"
#include "forms/units/cartoon/CartoonCommands.h"
#include "forms/units/commondlg/CommonDlgUnit.h"
#include "runtime/calls/CommandCall.h"

namespace app::watermark {

namespace {

namespace Arg = rt::Arg;

constexpr uint32_t W = kWatermarkWindow;

// "图像文件|*.bmp;*.jpg;*.gif;*.png"
constexpr const char kOpenFilter[] = "\xCD\xBC\xCF\xF1\xCE\xC4\xBC\xFE|*.bmp;*.jpg;*.gif;*.png";
// "BMP文件|*.bmp|JPG文件|*.jpg"
constexpr const char kSaveFilter[] = "BMP\xCE\xC4\xBC\xFE|*.bmp|JPG\xCE\xC4\xBC\xFE|*.jpg";
// "文件 "
constexpr const char kFilePrefix[] = "\xCE\xC4\xBC\xFE ";
// "  保持成功" (the program has always said it this way)
constexpr const char kSavedSuffix[] = "  \xB1\xA3\xB3\xD6\xB3\xC9\xB9\xA6";
// "  保存失败"
constexpr const char kFailedSuffix[] = "  \xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC";

WatermarkEditorState& State() {
  return G().watermark;
}

rt::ArgRecord Box() {
  return Arg::Unit(W, kBox, forms::kTypeCartoonBox);
}

rt::ArgRecord Template() {
  return Arg::Unit(W, kTemplate, forms::kTypeCartoonObject);
}

// A box command whose other arguments are integers.
int32_t OnBox(rt::CommandRoutine command, std::initializer_list<int32_t> values) {
  std::vector<rt::ArgRecord> args{Box()};
  for (int32_t v : values) args.push_back(Arg::Int(v));
  return rt::CallCommand(command, static_cast<int32_t>(args.size()), args.data()).As<int32_t>();
}

int32_t Place(int32_t x, int32_t y) {
  return rt::Call(forms::PlaceObject,
                  {Box(), Template(), Arg::Int(x), Arg::Int(y), Arg::Bool(true)})
      .As<int32_t>();
}

void ProcessEvents() {
  rt::Call(cmd::ProcessEvents, {});
}

int32_t Scale() {
  return GetInt(W, kScaleSlider, kSliderPosition);
}

int32_t ScaledBy(int32_t value, int32_t scale) {
  return static_cast<int32_t>(
      rt::Call(cmd::IntDivide, {Arg::Double(double(value) * scale), Arg::Double(1000)})
          .As<double>());
}

// The watermark's place in full-scale terms, from where it stands at `scale`. Rounded away
// from zero, so that scaling it back (truncating toward zero) gives the same place again.
int32_t FullScaleOf(int32_t value, int32_t scale) {
  if (scale <= 0 || scale == kFullScale) return value;
  const int64_t magnitude = (std::abs(int64_t{value}) * kFullScale + scale - 1) / scale;
  return static_cast<int32_t>(value < 0 ? -magnitude : magnitude);
}

// One scroll bar against one side of the viewport; `boxSide` is the box's left or top.
void FitBar(uint32_t bar, int32_t viewportSize, int32_t boxSize, int32_t boxSide) {
  int32_t position = 0;
  if (viewportSize < boxSize) {
    SetBool(W, bar, kDisabled, false);
    const int32_t maximum = boxSize - viewportSize;
    SetInt(W, bar, kScrollMax, maximum);
    position = std::clamp(GetInt(W, bar, kScrollPosition), 0, maximum);
  } else {
    SetBool(W, bar, kDisabled, true);
  }
  // A box scrolled further than its new size allows, or scrolled at all when it now fits,
  // would keep part of the photo out of reach of the bars.
  SetInt(W, bar, kScrollPosition, position);
  SetInt(W, kBox, boxSide, -position);
}

}  // namespace

void Forget() {
  WatermarkEditorState& s = State();
  s.photoObject = 0;
  s.watermarkObject = 0;
  s.dragging = 0;
}

void SetPhoto(const void* picture) {
  WatermarkEditorState& s = State();
  s.dragStartX = 0;
  s.dragStartY = 0;
  SetInt(W, kScaleSlider, kSliderMax, 1000);
  SetInt(W, kScaleSlider, kSliderMin, 1);
  SetInt(W, kScaleSlider, kSliderPosition, 1000);
  // Once a watermark has been loaded (the template is on its layer) the photo only borrows
  // the template: the next re-scale, and the save, place the watermark from it again.
  const bool holdsWatermark = GetInt(W, kTemplate, kTemplateLayer) == kWatermarkLayer;
  void* watermarkPicture = holdsWatermark ? GetByteSet(W, kTemplate, kTemplatePicture) : nullptr;
  SetByteSet(W, kTemplate, kTemplatePicture, picture);
  SetInt(W, kTemplate, kTemplateLayer, kPhotoLayer);
  // The previous photo goes; left behind it would show wherever the new one is transparent.
  OnBox(forms::DestroyObjects, {s.photoObject});
  s.photoObject = Place(0, 0);
  if (holdsWatermark) {
    SetByteSet(W, kTemplate, kTemplatePicture, watermarkPicture);
    SetInt(W, kTemplate, kTemplateLayer, kWatermarkLayer);
    FreeBlock(watermarkPicture);
  }
  Fit();
}

void SetWatermark(const void* picture) {
  SetByteSet(W, kTemplate, kTemplatePicture, picture);
  SetInt(W, kTemplate, kTemplateLayer, kWatermarkLayer);
  PlaceWatermark(State().dragStartX, State().dragStartY);
}

void ApplyTransparency() {
  OnBox(forms::SetObjectAlpha, {State().watermarkObject, GetInt(W, kAlphaSlider, kSliderPosition)});
}

void PlaceWatermark(int32_t x, int32_t y) {
  WatermarkEditorState& s = State();
  OnBox(forms::DestroyObjects, {s.watermarkObject});
  s.watermarkObject = Place(x, y);
  ApplyTransparency();
  OnBox(forms::SetObjectLayer, {s.watermarkObject, kWatermarkLayer});
}

void Rescale() {
  WatermarkEditorState& s = State();
  const int32_t scale = Scale();
  OnBox(forms::SetObjectZoom, {s.photoObject, scale, scale});
  SetInt(W, kTemplate, kTemplateZoom, scale);
  s.dragStartX = s.watermarkX;
  s.dragStartY = s.watermarkY;
  PlaceWatermark(ScaledBy(s.dragStartX, scale), ScaledBy(s.dragStartY, scale));
  Fit();
}

void PressObject(int32_t object) {
  WatermarkEditorState& s = State();
  if (object != s.watermarkObject) return;
  s.mouseStartX = kMouseStartUnknown;
  s.mouseStartY = kMouseStartUnknown;
  s.dragStartX = OnBox(forms::GetObjectX, {s.watermarkObject});
  s.dragStartY = OnBox(forms::GetObjectY, {s.watermarkObject});
  s.dragging = 1;
}

void ReleaseObject(int32_t object) {
  WatermarkEditorState& s = State();
  if (object == s.watermarkObject) s.dragging = 0;
}

void ReleaseButton() {
  // The box holds the mouse while its button is down, so the release is seen wherever it
  // happens, over the watermark or not; letting go anywhere ends the drag, or the watermark
  // would follow the bare pointer when it came back over the box.
  State().dragging = 0;
}

void DragStep(int32_t x, int32_t y) {
  WatermarkEditorState& s = State();
  if (s.dragging != 1) return;
  if (s.mouseStartX == kMouseStartUnknown || s.mouseStartY == kMouseStartUnknown) {
    s.mouseStartX = x;
    s.mouseStartY = y;
    return;
  }
  // The watermark follows the whole movement since the drag began, so no step is lost.
  const int32_t left = s.dragStartX + (x - s.mouseStartX);
  const int32_t top = s.dragStartY + (y - s.mouseStartY);
  const int32_t scale = Scale();
  // Kept at full scale: the next re-scale (and the save, which works at full scale) puts
  // the watermark back where the user dropped it, whatever the scale was during the drag.
  s.watermarkX = FullScaleOf(left, scale);
  s.watermarkY = FullScaleOf(top, scale);
  PlaceWatermark(left, top);
  ProcessEvents();
  OnBox(forms::SetObjectZoom, {s.watermarkObject, scale, scale});
  ProcessEvents();
}

void Fit() {
  const WatermarkEditorState& s = State();
  const int32_t width = OnBox(forms::GetObjectWidth, {s.photoObject});
  const int32_t height = OnBox(forms::GetObjectHeight, {s.photoObject});
  SetInt(W, kBox, kWidth, width);
  SetInt(W, kBox, kHeight, height);
  FitBar(kHorizontalBar, GetInt(W, kViewport, kWidth), width, kLeft);
  FitBar(kVerticalBar, GetInt(W, kViewport, kHeight), height, kTop);
  OnBox(forms::SetObjectLayer, {s.photoObject, kPhotoLayer});
}

bool ChooseImageFile(void** picture) {
  SetInt(W, kDialog, kDialogKind, kDialogOpenFile);
  SetText(W, kDialog, kDialogFilter, kOpenFilter);
  const rt::ArgRecord dialog = Arg::Unit(W, kDialog, forms::kTypeCommonDlg);
  if (rt::Call(forms::OpenDialogCommand, {dialog}).As<int32_t>() == 0) return false;
  const std::string name = GetText(W, kDialog, kDialogFileName);
  *picture = rt::Call(cmd::ReadWholeFile, {Arg::Text(name.c_str())}).Pointer();
  return true;
}

void SaveScene() {
  SetInt(W, kDialog, kDialogKind, kDialogSaveFile);
  SetText(W, kDialog, kDialogFilter, kSaveFilter);
  const rt::ArgRecord dialog = Arg::Unit(W, kDialog, forms::kTypeCommonDlg);
  if (rt::Call(forms::OpenDialogCommand, {dialog}).As<int32_t>() == 0) return;

  // The home window stays out of reach while the scene is scaled up for the snapshot.
  const bool homeOpen = WindowHandleOf(kHomeWindow, kWindowItself) != 0;
  if (homeOpen) SetBool(kHomeWindow, kWindowItself, kDisabled, true);
  const int32_t remembered = Scale();
  SetInt(W, kScaleSlider, kSliderPosition, kFullScale);
  Rescale();
  // The name always gets ".bmp": the bytes are a BMP file whatever filter was chosen.
  const std::string name = GetText(W, kDialog, kDialogFileName) + ".bmp";
  void* bytes = rt::Call(forms::SnapshotBox,
                         {Box(), Arg::Int(0), Arg::Int(0), Arg::Int(GetInt(W, kBox, kWidth)),
                          Arg::Int(GetInt(W, kBox, kHeight))})
                    .Pointer();
  // An empty scene (a photo that could not be read) has nothing to save; writing it would
  // only empty a file the user may have chosen to replace.
  const bool saved =
      bytes != nullptr &&
      rt::Call(cmd::WriteWholeFile, {Arg::Text(name.c_str()), Arg::Bytes(bytes)}).As<int32_t>() !=
          0;
  FreeBlock(bytes);
  SetInt(W, kScaleSlider, kSliderPosition, remembered);
  Rescale();
  if (homeOpen) SetBool(kHomeWindow, kWindowItself, kDisabled, false);

  const std::string message = kFilePrefix + name + (saved ? kSavedSuffix : kFailedSuffix);
  rt::Call(cmd::ShowMessage, {Arg::Text(message.c_str()), Arg::Int(0)});
}

}  // namespace app::watermark
