// window_shots: Velmora's windows as PNG files, headless, for looking at them and for the
// README. The home window comes up through its start sequence (the splash and the web page
// window are shot on the way, then moved on), which attaches the default skin; then every
// other window is opened in turn under each skin asked for.
//
//   window_shots [--screen] OUTDIR [PHOTO] [SKIN...]   e.g. window_shots shots photo.jpg 6 2 17
//
// With --screen the windows are shown on the desktop (DISPLAY) as at a real start, and each
// shot is also taken from the screen with ImageMagick's `import -window root`
// (OUTDIR/<window>-skin<N>-screen.png), so the native windows can be compared with ours.
//
// PHOTO (any picture file) is handed over as the processed picture, so the caption and
// watermark windows show it. Files: OUTDIR/<window>-skin<N>.png.
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/batch/BatchWindowUnits.h"
#include "app/filterwindow/FilterWindowUnits.h"
#include "app/home/SkinAttach.h"
#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/VelmoraProgram.h"
#include "app/program/WindowIds.h"
#include "app/subtitle/SubtitleUnits.h"
#include "commands/system/WindowCommands.h"
#include "platform/kernel32.h"
#include "platform/presenters/ProgramPresenter.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "platform/user32.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/image/HandlerTable.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/values/ValueBlocks.h"
#include "tools/translation_server/HttpListener.h"
#include "tools/translation_server/TranslationService.h"

// The handlers the shots call as the buttons and menu entries would.
namespace app::filterwindow {
rt::HandlerResult OnNight(const uint32_t*, int32_t);
}
namespace app::watermark {
rt::HandlerResult OnLoadProcessed(const uint32_t*, int32_t);
rt::HandlerResult OnLoadWatermark(const uint32_t*, int32_t);
}  // namespace app::watermark

namespace {

// Windows that show a photo get one before the shot, the way a user would have got there:
// the photo box filled and a filter run, the photo and the watermark loaded into the editor,
// a watermark and a photo in the batch window.
void TypeCaption();
void ShowPhotoInFilterWindow();
void ShowPhotoInWatermarkWindow();
void ShowPhotoInBatchWindow();

struct Shot {
  uint32_t window;
  const char* name;
  void (*prepare)();
};

constexpr Shot kShots[] = {
    {app::kSubtitleWindow, "subtitle", TypeCaption},
    {app::kSubtitleLibraryWindow, "library", nullptr},
    {app::kFilterWindow, "filter", ShowPhotoInFilterWindow},
    {app::kWatermarkWindow, "watermark", ShowPhotoInWatermarkWindow},
    {app::kBatchWindow, "batch", ShowPhotoInBatchWindow},
    {app::kAboutWindow, "about", nullptr},
    {app::kWebPageWindow, "webpage", nullptr},
    {app::kSplashWindow, "splash", nullptr},
};

std::string g_out;
int g_skin = 6;
bool g_screen = false;

extern "C" char** environ;

void ShootScreen(const std::string& path) {
  char import[] = "import";
  char window[] = "-window";
  char root[] = "root";
  std::string target = path;
  char* argv[] = {import, window, root, target.data(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "import", nullptr, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "window_shots: cannot run import\n");
    return;
  }
  int status = 0;
  waitpid(child, &status, 0);
  std::printf("%s\n", path.c_str());
}

HWND Handle(uint32_t window) {
  intptr_t object = rt::RuntimeNotify(cmd::kNotifyFindUnit, window, 0);
  if (object == 0) return nullptr;
  return reinterpret_cast<HWND>(rt::RuntimeNotify(cmd::kNotifyUnitWindowHandle, object, 0));
}

void Save(HWND window, const char* name) {
  // Pages load and animations draw their first frames on threads of their own; give them
  // a moment, as a person looking at the window would.
  for (int i = 0; i < 60; ++i) {
    rt::HandleWaitingMessages();
    Sleep(10);
  }
  const std::string stem = g_out + "/" + name + "-skin" + std::to_string(g_skin);
  const std::string path = stem + ".png";
  if (g_screen) ShootScreen(stem + "-screen.png");
  if (!platform::testing::WritePng(platform::testing::CaptureWindow(window), path)) {
    std::fprintf(stderr, "window_shots: %s not written\n", path.c_str());
  } else {
    std::printf("%s\n", path.c_str());
  }
}

void ClickMiddle(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  POINT middle{r.right / 2, r.bottom / 2};
  HWND target = ChildWindowFromPoint(window, middle);
  if (target == nullptr) target = window;
  MapWindowPoints(window, target, &middle, 1);
  PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
  PostMessageA(target, WM_LBUTTONUP, 0, MAKELPARAM(middle.x, middle.y));
}

// Runs while the start sequence waits in its modal windows: the splash is shot once its
// name has appeared (its timer fires at 2 s), then clicked away; the web page window is shot, then
// closed.
DWORD g_splashSeen = 0;
bool g_splashDone = false;
bool g_pageDone = false;
void MoveTheStartOn(intptr_t) {
  if (HWND splash = Handle(app::kSplashWindow); splash != nullptr && !g_splashDone) {
    if (g_splashSeen == 0) g_splashSeen = GetTickCount();
    if (GetTickCount() - g_splashSeen < 1800) return;
    g_splashDone = true;
    Save(splash, "splash");
    ClickMiddle(splash);
  } else if (HWND page = Handle(app::kWebPageWindow); page != nullptr && !g_pageDone) {
    g_pageDone = true;
    Save(page, "webpage");
    PostMessageA(page, WM_CLOSE, 0, 0);
  }
}

void* ReadByteSet(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return rt::BuildByteSet([](size_t n) { return rt::Services().allocMem(static_cast<int32_t>(n)); },
                          bytes.data(), bytes.size());
}

std::string g_watermark;

// The first line of the caption library: "那年夏天，我们以为风会一直吹下去。"
constexpr char kCaption[] =
    "\xC4\xC7\xC4\xEA\xCF\xC4\xCC\xEC\xA3\xAC\xCE\xD2\xC3\xC7\xD2\xD4\xCE\xAA\xB7\xE7\xBB"
    "\xE1\xD2\xBB\xD6\xB1\xB4\xB5\xCF\xC2\xC8\xA5\xA1\xA3";

// As if typed: the caption box's change event fills both lines, the English one from the
// local translation service the shots run.
void TypeCaption() {
  app::SetText(app::kSubtitleWindow, app::subtitle::kCaptionBox, app::subtitle::kContentProperty,
               kCaption);
}

void ShowPhotoInFilterWindow() {
  app::SetByteSet(app::kFilterWindow, app::filterwindow::kPhotoBox,
                  app::filterwindow::kPicBoxPicture, app::G().processedPicture);
  rt::HandleWaitingMessages();
  app::filterwindow::OnNight(nullptr, 0);
}

void ShowPhotoInWatermarkWindow() {
  app::watermark::OnLoadProcessed(nullptr, 0);
  platform::testing::ScriptFileDialogAnswer(g_watermark);
  app::watermark::OnLoadWatermark(nullptr, 0);
}

// The batch window keeps the watermark its form stores.
void ShowPhotoInBatchWindow() {
  app::SetByteSet(app::kBatchWindow, app::batch::kPhotoBox, app::batch::kPicBoxPicture,
                  app::G().processedPicture);
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  if (argc > 1 && std::string(argv[1]) == "--screen") {
    g_screen = true;
    ++first;
  }
  if (argc <= first) {
    std::fprintf(stderr, "usage: window_shots [--screen] OUTDIR [PHOTO] [SKIN...]\n");
    return 2;
  }
  if (!g_screen) setenv("VELMORA_HEADLESS", "1", 1);
  if (!platform::user::StartPresenterForProgram()) return 1;
  g_out = argv[first];
  // The shipped translation service, on a port of its own.
  translation_server::PhraseTable phrases;
  translation_server::LoadPhraseTable(
      std::string(VELMORA_SOURCE_DIR) + "/tools/translation_server/phrases.tsv", &phrases);
  translation_server::HttpListener service(
      [&phrases](translation_server::Connection& c, const translation_server::RequestHead& r) {
        c.Send(translation_server::TranslationReply(phrases, r));
      });
  if (service.Start()) {
    setenv("VELMORA_TRANSLATOR_URL", ("http://127.0.0.1:" + std::to_string(service.Port())).c_str(),
           1);
  }
  // The watermark template shipped with the sources.
  g_watermark = std::string(VELMORA_SOURCE_DIR) + "/app/assets/watermark.png";
  app::AssembleProgram();
  rt::InitRuntime(&app::ProgramHeader());
  app::CreateGlobals();
  rt::SetEndRoutine(&app::FreeGlobals);
  std::vector<int> skins;
  const char* photo = nullptr;
  for (int i = first + 1; i < argc; ++i) {
    char* end = nullptr;
    long n = std::strtol(argv[i], &end, 10);
    if (*end == 0) {
      skins.push_back(static_cast<int>(n));
    } else {
      photo = argv[i];
    }
  }
  if (skins.empty()) skins.push_back(6);
  if (photo != nullptr) app::ReplaceBlock(app::G().processedPicture, ReadByteSet(photo));

  // The start sequence, as at a real start; it ends with the default skin attached.
  rt::AddIdleRoutine(rt::Runtime().messageWindow, MoveTheStartOn, 0);
  rt::Call(cmd::LoadWindow, {rt::Arg::Unit(app::kHomeWindow, 0, 0x00010001)});
  rt::HandleWaitingMessages();
  rt::RemoveIdleRoutines(rt::Runtime().messageWindow);

  for (int skin : skins) {
    g_skin = skin;
    app::home::AttachSkin(skin);
    RedrawWindow(Handle(app::kHomeWindow), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Save(Handle(app::kHomeWindow), "home");
    for (const Shot& shot : kShots) {
      rt::Call(cmd::LoadWindow, {rt::Arg::Unit(shot.window, 0, 0x00010001)});
      rt::HandleWaitingMessages();
      if (shot.prepare != nullptr && app::G().processedPicture != nullptr) shot.prepare();
      if (HWND h = Handle(shot.window)) Save(h, shot.name);
      rt::Call(cmd::DestroyUnit, {rt::Arg::Unit(shot.window, 0, 0x00010001)});
      rt::HandleWaitingMessages();
    }
  }
  rt::EndProgram(0);
  return 0;
}
