// The handlers of the home area's windows: the start sequence of the home window, its six
// click areas, the splash window's timers and click, the web page window and the about
// window's links.
#include <cstdint>

#include "app/home/HomeUnits.h"
#include "app/home/SkinAttach.h"
#include "app/home/WebLinks.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "commands/system/SystemCommands.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/image/HandlerTable.h"

namespace app::home {

namespace {

rt::HandlerResult Nothing() {
  return {};
}

rt::HandlerResult Open(uint32_t window) {
  LoadWindowModal(window);
  return Nothing();
}

}  // namespace

// HomeWindow loaded: the splash until it closes itself, the maker's page until the user
// closes it, then the skin.
rt::HandlerResult OnStart(const uint32_t*, int32_t) {
  LoadWindowModal(kSplashWindow);
  LoadWindowModal(kWebPageWindow);
  AttachSkin(kDefaultSkin);
  return Nothing();
}

rt::HandlerResult OnCaptionArea(const uint32_t*, int32_t) {
  return Open(kSubtitleWindow);
}

rt::HandlerResult OnWatermarkArea(const uint32_t*, int32_t) {
  return Open(kWatermarkWindow);
}

rt::HandlerResult OnBatchArea(const uint32_t*, int32_t) {
  return Open(kBatchWindow);
}

rt::HandlerResult OnFilterArea(const uint32_t*, int32_t) {
  return Open(kFilterWindow);
}

rt::HandlerResult OnVideoArea(const uint32_t*, int32_t) {
  OpenAddress(kVideoPageAddress);
  return Nothing();
}

rt::HandlerResult OnAboutArea(const uint32_t*, int32_t) {
  return Open(kAboutWindow);
}

rt::HandlerResult OnSplashShowName(const uint32_t*, int32_t) {
  SetBool(kSplashWindow, kSplashNameLabel, kVisible, true);
  return Nothing();
}

rt::HandlerResult OnSplashClose(const uint32_t*, int32_t) {
  CloseWindow(kSplashWindow);
  return Nothing();
}

// The timer would start the music again on every tick, over the part still playing, so it
// plays once and the timer stops.
rt::HandlerResult OnSplashMusic(const uint32_t*, int32_t) {
  SetInt(kSplashWindow, kSplashMusicTimer, kTimerPeriod, 0);
  void* music = GetByteSet(kSplashWindow, kWindowItself, kWindowMusic);
  if (music != nullptr) {
    rt::Call(cmd::PlaySoundData, {rt::Arg::Bytes(music)});
    FreeBlock(music);
  }
  return Nothing();
}

rt::HandlerResult OnSplashClick(const uint32_t*, int32_t) {
  CloseWindow(kSplashWindow);
  return Nothing();
}

// The page ships beside the program, so its address is known only once the program knows
// where it runs from.
rt::HandlerResult OnWebPageLoaded(const uint32_t*, int32_t) {
  SetText(kWebPageWindow, kWebPageViewer, kViewerAddress, MakerPageAddress().c_str());
  return Nothing();
}

rt::HandlerResult OnAboutPictureClick(const uint32_t*, int32_t) {
  OpenAddress(MakerPageAddress());
  return Nothing();
}

rt::HandlerResult OnAboutLabelClick(const uint32_t*, int32_t) {
  OpenAddress(MakerPageAddress());
  return Nothing();
}

}  // namespace app::home
