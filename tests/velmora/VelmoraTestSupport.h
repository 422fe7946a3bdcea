// Velmora started in the test process, headless, and what its tests share to drive its
// windows and read back what they wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "app/subtitle/SubtitleUnits.h"
#include "platform/ole/WinHttpRequest.h"
#include "platform/user32.h"
#include "tools/translation_server/HttpListener.h"
#include "tools/translation_server/TranslationService.h"

namespace velmoratest {

// The runtime started from Velmora's image, the globals made and their end routine set, as
// the entry routine does; no window is loaded.
void StartVelmora();
// The program's end as the runtime makes it when the last window closes.
void EndVelmora();

// Loads a window without waiting for it to close (the program itself always waits).
void OpenWindow(uint32_t window);
// The platform handle of a window (unit 0) or of one of its units; null when not loaded.
HWND Handle(uint32_t window, uint32_t unit = 0);
void Pump();

// The middle of a unit clicked; a second passes first on the virtual clock, so that two
// clicks never make a double click.
void ClickUnit(uint32_t window, uint32_t unit);
// A key pressed while a modifier is held; the platform's key state is the input's, so the
// modifier is let go only after the key was handled.
void PressWith(int modifier, int key);

std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
// A byte-set property's bytes.
std::vector<uint8_t> ByteSetOf(uint32_t window, uint32_t unit, int32_t property);
void HandOver(const std::vector<uint8_t>& picture);  // as the processed picture

// `step` runs each time the runtime's loop runs out of work while this lives: the program's
// windows are modal, and this is how a test acts while one of them waits.
class WhenIdle {
 public:
  explicit WhenIdle(std::function<void()> step);
  ~WhenIdle();
  WhenIdle(const WhenIdle&) = delete;
  WhenIdle& operator=(const WhenIdle&) = delete;

 private:
  std::function<void()> step_;
  HWND anchor_;
};

class VelmoraTest : public ::testing::Test {
 protected:
  void SetUp() override { StartVelmora(); }
  void TearDown() override;
  // A private folder for the test's files, removed at its end.
  const std::string& Folder();

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
