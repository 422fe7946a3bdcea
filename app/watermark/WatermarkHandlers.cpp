// The watermark window's event handlers: each hands its event's arguments to the editor.
#include "app/watermark/WatermarkHandlers.h"

#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "app/watermark/WatermarkEditor.h"
#include "app/watermark/WatermarkUnits.h"

namespace app::watermark {

namespace {

// Argument i of an event, 0 when the event brought fewer.
int32_t Word(const uint32_t* words, int32_t count, int32_t i) {
  return i < count ? static_cast<int32_t>(words[i]) : 0;
}

rt::HandlerResult Done() {
  return {};
}

}  // namespace

rt::HandlerResult OnWindowLoaded(const uint32_t*, int32_t) {
  Forget();
  return Done();
}

rt::HandlerResult OnLoadProcessed(const uint32_t*, int32_t) {
  SetPhoto(G().processedPicture);
  return Done();
}

rt::HandlerResult OnLoadBackground(const uint32_t*, int32_t) {
  void* picture = nullptr;
  if (ChooseImageFile(&picture)) {
    SetPhoto(picture);
    FreeBlock(picture);
  }
  return Done();
}

rt::HandlerResult OnLoadWatermark(const uint32_t*, int32_t) {
  void* picture = nullptr;
  if (ChooseImageFile(&picture)) {
    SetWatermark(picture);
    FreeBlock(picture);
  }
  return Done();
}

rt::HandlerResult OnSave(const uint32_t*, int32_t) {
  SaveScene();
  return Done();
}

rt::HandlerResult OnAlphaChanged(const uint32_t*, int32_t) {
  ApplyTransparency();
  return Done();
}

rt::HandlerResult OnScaleChanged(const uint32_t*, int32_t) {
  Rescale();
  return Done();
}

rt::HandlerResult OnHorizontalScroll(const uint32_t*, int32_t) {
  SetInt(kWatermarkWindow, kBox, kLeft, -GetInt(kWatermarkWindow, kHorizontalBar, kScrollPosition));
  return Done();
}

rt::HandlerResult OnVerticalScroll(const uint32_t*, int32_t) {
  SetInt(kWatermarkWindow, kBox, kTop, -GetInt(kWatermarkWindow, kVerticalBar, kScrollPosition));
  return Done();
}

rt::HandlerResult OnBoxPress(const uint32_t* words, int32_t count) {
  PressObject(Word(words, count, 0));
  return Done();
}

rt::HandlerResult OnBoxRelease(const uint32_t*, int32_t) {
  ReleaseButton();
  return Done();
}

rt::HandlerResult OnBoxLeave(const uint32_t* words, int32_t count) {
  ReleaseObject(Word(words, count, 0));
  return Done();
}

rt::HandlerResult OnBoxMove(const uint32_t* words, int32_t count) {
  DragStep(Word(words, count, 0), Word(words, count, 1));
  return Done();
}

}  // namespace app::watermark
