#include "app/filterwindow/FilterPassFrame.h"

#include "app/filters/DllPixelSurface.h"
#include "app/filterwindow/FilterWindowUnits.h"
#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "commands/system/SystemCommands.h"
#include "forms/data/UnitId.h"
#include "forms/units/statusbar/StatusBarCommand.h"
#include "libraries/ProgramDllCommands.h"
#include "runtime/calls/CommandCall.h"

namespace app::filterwindow {
namespace {

namespace dll = libs::dll;

// "应用滤镜..."
constexpr char kApplyingText[] = "\xD3\xA6\xD3\xC3\xC2\xCB\xBE\xB5...";
// "完成"
constexpr char kDoneText[] = "\xCD\xEA\xB3\xC9";

constexpr int32_t kSourceCopy = 0xCC0020;

void ShowStatus(const char* text) {
  rt::Call(forms::SetStatusPartText,
           {rt::Arg::Unit(kFilterWindow, kStatusBar, forms::kTypeStatusBar), rt::Arg::Int(0),
            rt::Arg::Text(text)});
}

void ProcessEvents() {
  rt::Call(cmd::ProcessEvents, {});
}

// Window events handled during a pass may have closed the window (or closed it and opened
// it afresh, with a new box).
bool SameBoxStillThere(int32_t boxHandle) {
  return boxHandle != 0 && WindowHandleOf(kFilterWindow, kPhotoBox) == boxHandle;
}

void ReleasePass(const FilterPassState& p) {
  dll::SelectObject(p.memoryDc, p.previousObject);
  dll::DeleteObject(p.bitmap);
  dll::DeleteDC(p.memoryDc);
  dll::ReleaseDC(p.boxHandle, p.screenDc);
}

}  // namespace

void BeginFilterPass() {
  FilterPassState& p = G().filterPass;
  p.boxHandle = WindowHandleOf(kFilterWindow, kPhotoBox);
  RECT client{};
  dll::GetClientRect(p.boxHandle, &client);
  p.width = client.right - client.left;
  p.height = client.bottom - client.top;
  p.screenDc = dll::GetDC(p.boxHandle);
  p.memoryDc = dll::CreateCompatibleDC(p.screenDc);
  p.bitmap = dll::CreateCompatibleBitmap(p.screenDc, p.width, p.height);
  p.previousObject = dll::SelectObject(p.memoryDc, p.bitmap);
  dll::BitBlt(p.memoryDc, 0, 0, p.width, p.height, p.screenDc, 0, 0, kSourceCopy);
  SetInt(kFilterWindow, kProgressBar, kProgressPosition, 0);
  SetBool(kFilterWindow, kProgressBar, kVisible, true);
  ShowStatus(kApplyingText);
  ProcessEvents();
}

void EndFilterPass() {
  const FilterPassState& p = G().filterPass;
  dll::BitBlt(p.screenDc, 0, 0, p.width, p.height, p.memoryDc, 0, 0, kSourceCopy);
  ReleasePass(p);
  SetBool(kFilterWindow, kProgressBar, kVisible, false);
  ShowStatus(kDoneText);
}

void RunMenuFilter(FilterKind kind, FilterRandom& random) {
  // A pass started from the menu while another runs would otherwise take over the globals
  // that the other still needs to finish and release its own objects.
  const FilterPassState interrupted = G().filterPass;
  BeginFilterPass();
  const FilterPassState pass = G().filterPass;
  bool boxThere = SameBoxStillThere(pass.boxHandle);
  if (boxThere) {
    DllPixelSurface surface(pass.memoryDc, pass.width, pass.height);
    RunFilterPass(kind, surface, random, [&](int32_t progress) {
      SetInt(kFilterWindow, kProgressBar, kProgressPosition, progress);
      ProcessEvents();
      boxThere = SameBoxStillThere(pass.boxHandle);
      return boxThere;
    });
  }
  G().filterPass = pass;
  if (boxThere) {
    EndFilterPass();
  } else {
    ReleasePass(pass);
  }
  G().filterPass = interrupted;
}

void RunMenuFilter(FilterKind kind) {
  RuntimeRandom random;
  RunMenuFilter(kind, random);
}

}  // namespace app::filterwindow
