// The caption window: the photo in the film frame, the caption typed under it in Chinese and
// its English translation, and the picture of both saved as a BMP file.
#include <string>

#include "app/capture/WindowCapture.h"
#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "app/subtitle/FileDialog.h"
#include "app/subtitle/SubtitleHandlers.h"
#include "app/subtitle/SubtitleUnits.h"
#include "app/translator/Translator.h"
#include "commands/files/FileCommands.h"
#include "runtime/calls/CommandCall.h"

namespace app::subtitle {

namespace {

namespace Arg = rt::Arg;

// The English line is pair 2 of the translator: Chinese to English.
constexpr int32_t kChineseToEnglish = 2;

void ShowProcessedPicture() {
  SetByteSet(kSubtitleWindow, kPhotoBox, kPictureProperty, G().processedPicture);
}

}  // namespace

rt::HandlerResult OnSubtitleWindowLoaded(const uint32_t*, int32_t) {
  ShowProcessedPicture();
  return {};
}

rt::HandlerResult OnLoadProcessedPicture(const uint32_t*, int32_t) {
  ShowProcessedPicture();
  return {};
}

// A cancelled dialog keeps the photo that is shown: reading the dialog's name regardless
// would re-read the last photo or, before the first, blank the box.
rt::HandlerResult OnOpenPhoto(const uint32_t*, int32_t) {
  if (!OpenFileDialog(kSubtitleWindow, kOpenDialog)) return {};
  const std::string path = GetText(kSubtitleWindow, kOpenDialog, kFileNameProperty);
  void* photo = rt::Call(cmd::ReadWholeFile, {Arg::Text(path.c_str())}).Pointer();
  SetByteSet(kSubtitleWindow, kPhotoBox, kPictureProperty, photo);
  FreeBlock(photo);
  return {};
}

// The request is synchronous: the window waits for the service (or its failure) before the
// next key is handled, so the two lines never show different captions for long.
rt::HandlerResult OnCaptionChanged(const uint32_t*, int32_t) {
  const std::string text = GetText(kSubtitleWindow, kCaptionBox, kContentProperty);
  SetText(kSubtitleWindow, kChineseLine, kCaptionProperty, text.c_str());
  char* english = app::Translate(text.c_str(), kChineseToEnglish);
  SetText(kSubtitleWindow, kEnglishLine, kCaptionProperty, english);
  FreeBlock(english);
  return {};
}

// The still is captured before the dialog opens, so the dialog is never in the picture. A
// cancelled dialog writes nothing: its file name still holds the last file chosen, which
// would otherwise be overwritten without the user asking.
rt::HandlerResult OnSaveCaptionPicture(const uint32_t*, int32_t) {
  ReplaceBlock(
      G().captionPicture,
      capture::CaptureAndCrop(WindowHandleOf(kSubtitleWindow, kWindowItself), kCaptionCropX,
                              kCaptionCropY, kCaptionCropWidth, kCaptionCropHeight));
  if (!OpenFileDialog(kSubtitleWindow, kSaveDialog)) return {};
  const std::string path = GetText(kSubtitleWindow, kSaveDialog, kFileNameProperty);
  rt::Call(cmd::WriteWholeFile, {Arg::Text(path.c_str()), Arg::Bytes(G().captionPicture)});
  return {};
}

rt::HandlerResult OnMoreCaptions(const uint32_t*, int32_t) {
  LoadWindowModal(kSubtitleLibraryWindow);
  return {};
}

rt::HandlerResult OnAddEffects(const uint32_t*, int32_t) {
  LoadWindowModal(kFilterWindow);
  return {};
}

}  // namespace app::subtitle
