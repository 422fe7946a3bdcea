// What the caption window tests share: a translation service on 127.0.0.1 that knows a few
// phrases (anything else comes back unchanged), the caption window opened headless, and the
// unit texts and pictures read back through the program's own property access.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "app/subtitle/SubtitleUnits.h"
#include "platform/ole/WinHttpRequest.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "platform/user32.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/Gbk.h"
#include "tests/velmora/VelmoraTestSupport.h"
#include "tools/translation_server/HttpListener.h"
#include "tools/translation_server/TranslationService.h"

namespace velmoratest {

namespace sub = app::subtitle;

inline std::string Text(uint32_t window, uint32_t unit, int32_t property) {
  return app::GetText(window, unit, property);
}

// A byte-set property as plain bytes (empty for the empty byte set).
inline std::string Bytes(uint32_t window, uint32_t unit, int32_t property) {
  void* block = app::GetByteSet(window, unit, property);
  const rt::ByteSetView view = rt::ViewByteSet(block);
  std::string bytes(reinterpret_cast<const char*>(view.data), view.size);
  app::FreeBlock(block);
  return bytes;
}

inline void ClickUnit(uint32_t window, uint32_t unit) {
  HWND handle = Handle(window, unit);
  ASSERT_NE(handle, nullptr);
  RECT r{};
  GetClientRect(handle, &r);
  ASSERT_TRUE(platform::testing::ClickInWindow(handle, {r.right / 2, r.bottom / 2}));
  Pump();
}

// A key pressed while a modifier is held. The modifier is released only after the key has
// been handled: the platform's key state is the state of the input, not of the message.
inline void PressWith(int modifier, int key) {
  platform::testing::KeyDown(modifier);
  platform::testing::PressKey(key);
  Pump();
  platform::testing::KeyUp(modifier);
  Pump();
}

// Ctrl+A in a focused edit box, so that what is typed next replaces its whole content.
inline void SelectAllByKeys() {
  PressWith(VK_CONTROL, 'A');
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
    platform::testing::ClearDialogScripts();
    platform::testing::TakeFileDialogLog();  // what earlier tests showed is theirs
  }
  void TearDown() override {
    platform::testing::ClearDialogScripts();
    platform::ole::SetRequestTimeoutDefaults({});
    unsetenv("VELMORA_TRANSLATOR_URL");
    VelmoraTest::TearDown();
  }

  static void UseService(uint16_t port) {
    setenv("VELMORA_TRANSLATOR_URL", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
  }

  // The caption window's two lines, as GBK.
  static std::string Chinese() { return Text(app::kSubtitleWindow, sub::kChineseLine, 8); }
  static std::string English() { return Text(app::kSubtitleWindow, sub::kEnglishLine, 8); }

  translation_server::PhraseTable phrases_;
  translation_server::HttpListener service_{
      [this](translation_server::Connection& c, const translation_server::RequestHead& r) {
        c.Send(translation_server::TranslationReply(phrases_, r));
      }};
};

// Where a test writes what it shows, for a person to look at, when VELMORA_SUBTITLE_LOOK
// names a folder; empty if not.
inline std::string LookPath(const std::string& file) {
  const char* folder = std::getenv("VELMORA_SUBTITLE_LOOK");
  return folder == nullptr ? std::string() : std::string(folder) + "/" + file;
}

}  // namespace velmoratest
