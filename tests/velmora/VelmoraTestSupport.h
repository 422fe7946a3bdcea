// Velmora started in the test process, headless, and what its tests share to drive its
// windows and read back what they wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/VelmoraProgram.h"
#include "app/program/WindowIds.h"
#include "app/subtitle/SubtitleUnits.h"
#include "commands/system/WindowCommands.h"
#include "platform/ole/WinHttpRequest.h"
#include "platform/testing/Automation.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/TempFolder.h"
#include "tools/translation_server/HttpListener.h"
#include "tools/translation_server/TranslationService.h"

namespace velmoratest {

// The runtime started from Velmora's image, the globals made and their end routine set, as
// the entry routine does; nothing on record or scripted by a test run before.
inline void StartVelmora() {
  platform::testing::TakeMessageBoxLog();
  platform::testing::ClearMessageBoxScript();
  platform::testing::ClearDialogScripts();
  platform::testing::TakeFileDialogLog();
  app::AssembleProgram();
  rt::InitRuntime(&app::ProgramHeader());
  app::CreateGlobals();
  rt::SetEndRoutine(&app::FreeGlobals);
}

inline void Pump() {
  rt::HandleWaitingMessages();
}

// The program's end as the runtime makes it when the last window closes.
inline void EndVelmora() {
  rt::EndProgram(0);
  Pump();
}

// Loads a window without waiting for it to close (the program itself always waits).
inline void OpenWindow(uint32_t window) {
  rt::Call(cmd::LoadWindow, {rt::Arg::Unit(window, 0, 0x00010001)});
  Pump();
}

// The platform handle of a window (unit 0) or of one of its units; null when not loaded.
inline HWND Handle(uint32_t window, uint32_t unit = 0) {
  intptr_t object = rt::RuntimeNotify(cmd::kNotifyFindUnit, window, unit);
  if (object == 0) return nullptr;
  return reinterpret_cast<HWND>(rt::RuntimeNotify(cmd::kNotifyUnitWindowHandle, object, 0));
}

// The middle of a unit clicked; a second passes first on the virtual clock, so that two
// clicks never make a double click.
inline void ClickUnit(uint32_t window, uint32_t unit) {
  HWND handle = Handle(window, unit);
  ASSERT_NE(handle, nullptr);
  RECT r{};
  GetClientRect(handle, &r);
  platform::testing::AdvanceClock(1000);
  ASSERT_TRUE(platform::testing::ClickInWindow(handle, {r.right / 2, r.bottom / 2}));
  Pump();
}

// A key pressed while a modifier is held; the platform's key state is the input's, so the
// modifier is let go only after the key was handled.
inline void PressWith(int modifier, int key) {
  platform::testing::KeyDown(modifier);
  platform::testing::PressKey(key);
  Pump();
  platform::testing::KeyUp(modifier);
  Pump();
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ByteSetOf(uint32_t window, uint32_t unit, int32_t property) {
  void* block = app::GetByteSet(window, unit, property);
  const rt::ByteSetView view = rt::ViewByteSet(block);
  std::vector<uint8_t> bytes(view.data, view.data + view.size);
  app::FreeBlock(block);
  return bytes;
}

// As the processed picture a window hands over to the next.
inline void HandOver(const std::vector<uint8_t>& picture) {
  app::ReplaceBlock(app::G().processedPicture,
                    rt::BuildByteSet(rt::AllocMemSized, picture.data(), picture.size()));
}

// `step` runs each time the runtime's loop runs out of work while this lives: the program's
// windows are modal, and this is how a test acts while one of them waits.
class WhenIdle {
 public:
  explicit WhenIdle(std::function<void()> step) : step_(std::move(step)) {
    rt::AddIdleRoutine(
        anchor_, [](intptr_t self) { reinterpret_cast<WhenIdle*>(self)->step_(); },
        reinterpret_cast<intptr_t>(this));
  }
  ~WhenIdle() {
    rt::RemoveIdleRoutines(anchor_);
    DestroyWindow(anchor_);
  }

 private:
  std::function<void()> step_;
  // A window of the test's own, which the program's end does not wait for.
  HWND anchor_ =
      CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
};

class VelmoraTest : public ::testing::Test {
 protected:
  void SetUp() override { StartVelmora(); }
  void TearDown() override {
    EndVelmora();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  // A private folder for the test's files, removed at its end.
  const std::string& Folder() {
    if (folder_.empty()) folder_ = testing_temp::MakeFolder("velmora-test");
    EXPECT_FALSE(folder_.empty());
    return folder_;
  }

 private:
  std::string folder_;
};

// The caption window's tests: a translation service on 127.0.0.1 that knows a few phrases
// (anything else comes back unchanged), and the caption window's lines read back.
namespace sub = app::subtitle;

inline std::string Text(uint32_t window, uint32_t unit) {
  return app::GetText(window, unit, sub::kCaptionProperty);
}

class SubtitleTest : public VelmoraTest {
 protected:
  void SetUp() override {
    VelmoraTest::SetUp();
    translation_server::AddPhrase(&phrases_, "你好", "Hello");
    translation_server::AddPhrase(&phrases_, "那年夏天，我们以为风会一直吹下去。",
                                  "That summer we thought the wind would never stop.");
    ASSERT_TRUE(service_.Start());
    UseService(service_.Port());
    // Short time-outs: a test that loses its service ends quickly instead of hanging.
    platform::ole::SetRequestTimeoutDefaults({0, 2000, 500, 500});
  }
  void TearDown() override {
    platform::ole::SetRequestTimeoutDefaults({});
    unsetenv("VELMORA_TRANSLATOR_URL");
    VelmoraTest::TearDown();
  }
  static void UseService(uint16_t port) {
    setenv("VELMORA_TRANSLATOR_URL", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
  }
  static std::string Chinese() { return Text(app::kSubtitleWindow, sub::kChineseLine); }
  static std::string English() { return Text(app::kSubtitleWindow, sub::kEnglishLine); }
  // The caption box emptied as a user does it: clicked, then Ctrl+A so typing replaces all.
  static void StartTyping() {
    ClickUnit(app::kSubtitleWindow, sub::kCaptionBox);
    PressWith(VK_CONTROL, 'A');
  }

  translation_server::PhraseTable phrases_;
  translation_server::HttpListener service_{
      [this](translation_server::Connection& c, const translation_server::RequestHead& r) {
        c.Send(translation_server::TranslationReply(phrases_, r));
      }};
};

}  // namespace velmoratest
