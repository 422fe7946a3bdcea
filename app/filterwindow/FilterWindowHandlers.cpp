// The image-processing window's event handlers: opening a photo, the filter menu, handing
// the filtered picture to the caption and watermark windows, and saving it.
#include "app/filterwindow/FilterPassFrame.h"
#include "app/filterwindow/FilterWindowUnits.h"
#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "commands/files/FileCommands.h"
#include "commands/system/WindowCommands.h"
#include "forms/data/UnitId.h"
#include "forms/units/commondlg/CommonDlgUnit.h"
#include "forms/units/picbox/WindowSnapshotCommand.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/image/HandlerTable.h"

namespace app::filterwindow {
namespace {

namespace Arg = rt::Arg;

bool DialogConfirmed(uint32_t dialog) {
  return rt::Call(forms::OpenDialogCommand,
                  {Arg::Unit(kFilterWindow, dialog, forms::kTypeCommonDlg)})
             .As<int32_t>() != 0;
}

// What the photo box shows, filter effects included, becomes the processed picture.
void SnapshotPhotoBox() {
  void* bytes =
      rt::Call(forms::WindowSnapshotCommand, {Arg::Int(WindowHandleOf(kFilterWindow, kPhotoBox)),
                                              Arg::Int(GetInt(kFilterWindow, kPhotoBox, kWidth)),
                                              Arg::Int(GetInt(kFilterWindow, kPhotoBox, kHeight))})
          .Pointer();
  ReplaceBlock(G().processedPicture, bytes);
}

void HandOverTo(uint32_t next) {
  SnapshotPhotoBox();
  CloseWindow(kFilterWindow);
  LoadWindowModal(next);
}

rt::HandlerResult Filter(FilterKind kind) {
  RunMenuFilter(kind);
  return {};
}

}  // namespace

// "打开(&O)".
rt::HandlerResult OnOpen(const uint32_t*, int32_t) {
  if (!DialogConfirmed(kOpenDialog)) return {};
  const std::string path = GetText(kFilterWindow, kOpenDialog, kDialogFileName);
  void* bytes = rt::Call(cmd::ReadWholeFile, {Arg::Text(path.c_str())}).Pointer();
  SetByteSet(kFilterWindow, kPhotoBox, kPicBoxPicture, bytes);
  FreeBlock(bytes);
  return {};
}

// "退出(&X)".
rt::HandlerResult OnExit(const uint32_t*, int32_t) {
  CloseWindow(kFilterWindow);
  return {};
}

// "取消所有滤镜": the box paints itself again from its picture, which no filter changed.
rt::HandlerResult OnRemoveFilters(const uint32_t*, int32_t) {
  rt::Call(cmd::Redraw, {Arg::Unit(kFilterWindow, kPhotoBox, forms::kTypePicBox)});
  return {};
}

rt::HandlerResult OnEmboss(const uint32_t*, int32_t) {
  return Filter(FilterKind::kEmboss);
}
rt::HandlerResult OnSharpen(const uint32_t*, int32_t) {
  return Filter(FilterKind::kSharpen);
}
rt::HandlerResult OnDiffuse(const uint32_t*, int32_t) {
  return Filter(FilterKind::kDiffuse);
}
rt::HandlerResult OnRects(const uint32_t*, int32_t) {
  return Filter(FilterKind::kRects);
}
rt::HandlerResult OnBrightness(const uint32_t*, int32_t) {
  return Filter(FilterKind::kBrightness);
}
rt::HandlerResult OnIce(const uint32_t*, int32_t) {
  return Filter(FilterKind::kIce);
}
rt::HandlerResult OnDark(const uint32_t*, int32_t) {
  return Filter(FilterKind::kDark);
}
rt::HandlerResult OnHeat(const uint32_t*, int32_t) {
  return Filter(FilterKind::kHeat);
}
rt::HandlerResult OnStrange(const uint32_t*, int32_t) {
  return Filter(FilterKind::kStrange);
}
rt::HandlerResult OnAqua(const uint32_t*, int32_t) {
  return Filter(FilterKind::kAqua);
}
rt::HandlerResult OnNight(const uint32_t*, int32_t) {
  return Filter(FilterKind::kNight);
}
rt::HandlerResult OnAfrika(const uint32_t*, int32_t) {
  return Filter(FilterKind::kAfrika);
}
rt::HandlerResult OnBlur(const uint32_t*, int32_t) {
  return Filter(FilterKind::kBlur);
}
rt::HandlerResult OnGreyscale(const uint32_t*, int32_t) {
  return Filter(FilterKind::kGreyscale);
}
rt::HandlerResult OnComic(const uint32_t*, int32_t) {
  return Filter(FilterKind::kComic);
}
rt::HandlerResult OnBlackAndWhite(const uint32_t*, int32_t) {
  return Filter(FilterKind::kBlackAndWhite);
}

// "应用到电影水印".
rt::HandlerResult OnApplyToCaption(const uint32_t*, int32_t) {
  HandOverTo(kSubtitleWindow);
  return {};
}

// "加水印".
rt::HandlerResult OnAddWatermark(const uint32_t*, int32_t) {
  HandOverTo(kWatermarkWindow);
  return {};
}

// "保存此图片": the snapshot is taken (and kept for the other windows) before the dialog
// opens; a cancelled dialog writes nothing, rather than overwriting the file chosen last.
rt::HandlerResult OnSave(const uint32_t*, int32_t) {
  SnapshotPhotoBox();
  if (!DialogConfirmed(kSaveDialog)) return {};
  const std::string path = GetText(kFilterWindow, kSaveDialog, kDialogFileName);
  rt::Call(cmd::WriteWholeFile, {Arg::Text(path.c_str()), Arg::Bytes(G().processedPicture)});
  return {};
}

}  // namespace app::filterwindow
