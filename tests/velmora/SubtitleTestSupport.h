// The caption window's tests: a translation service on 127.0.0.1 that knows a few phrases
// (anything else comes back unchanged), and the caption window's two lines read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "app/subtitle/SubtitleUnits.h"
#include "platform/ole/WinHttpRequest.h"
#include "platform/user32.h"
#include "tests/velmora/VelmoraTestSupport.h"
#include "tools/translation_server/HttpListener.h"
#include "tools/translation_server/TranslationService.h"

namespace velmoratest {

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
