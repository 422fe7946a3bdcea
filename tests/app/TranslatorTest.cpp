// The translator against servers on 127.0.0.1 started by the tests: the shipped translation
// server for real answers, and handlers that answer badly or not at all. The translation is
// then the text between the markers or empty, and the next request still works. Time-outs
// are shortened for the objects the translator makes, so the silent servers end quickly.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/translator/Translator.h"
#include "commands/CoreLibrary.h"
#include "libraries/ProgramDllCommands.h"
#include "platform/ole/ClassRegistry.h"
#include "platform/ole/WinHttpRequest.h"
#include "runtime/RuntimeState.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/Gbk.h"
#include "tests/common/ScriptedServer.h"
#include "tools/translation_server/HttpListener.h"
#include "tools/translation_server/TranslationService.h"

namespace {

namespace ts = translation_server;
using scripted_server::Behaviour;
using scripted_server::RefusingPort;
using testing_gbk::Gbk;

void AttachRuntime() {
  static bool attached = false;
  if (attached) return;
  attached = true;
  static const rt::LibraryDescriptor* libraries[] = {cmd::CoreLibraryDescriptor()};
  static rt::ImageHeader header{};
  header.libraryCount = 1;
  header.libraries = libraries;
  header.dllCommandCount = libs::kDllCommandCount;
  header.dllModuleNames = libs::DllModuleNames();
  header.dllFunctionNames = libs::DllFunctionNames();
  rt::InitRuntime(&header);
}

std::string Take(char* text) {
  std::string out = text == nullptr ? "" : text;
  EXPECT_TRUE(text == nullptr || !out.empty()) << "an empty text must be null";
  rt::FreeMem(text);
  return out;
}

void UseService(uint16_t port) {
  setenv("VELMORA_TRANSLATOR_URL", ("http://127.0.0.1:" + std::to_string(port) + "/").c_str(), 1);
}

class TranslatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AttachRuntime();
    ASSERT_TRUE(
        ts::LoadPhraseTable(VELMORA_SOURCE_DIR "/tools/translation_server/phrases.tsv", &phrases_));
    ASSERT_TRUE(service_.Start());
    UseService(service_.Port());
    platform::ole::SetRequestTimeoutDefaults({0, 2000, 300, 300});
  }
  void TearDown() override {
    platform::ole::SetRequestTimeoutDefaults({});
    unsetenv("VELMORA_TRANSLATOR_URL");
    EXPECT_EQ(platform::ole::LiveObjectCount(), 0);
  }

  ts::PhraseTable phrases_;
  ts::HttpListener service_{[this](ts::Connection& c, const ts::RequestHead& r) {
    c.Send(ts::TranslationReply(phrases_, r));
  }};
};

TEST_F(TranslatorTest, EscapeSpellsEveryUtf8Byte) {
  // The reference: the UTF-8 bytes from iconv, each written as %XX.
  auto reference = [](const std::string& utf8) {
    std::string out;
    char group[4];
    for (unsigned char c : utf8) {
      std::snprintf(group, sizeof group, "%%%02X", c);
      out += group;
    }
    return out;
  };
  EXPECT_EQ(Take(app::Utf8Escape("ab")), "%61%62");
  EXPECT_EQ(Take(app::Utf8Escape(Gbk("中").c_str())), "%E4%B8%AD");
  EXPECT_EQ(Take(app::Utf8Escape("")), "");
  for (const char* phrase : {"a\n b", "夕阳下的城市, 1999!", "，。“”《》", "\x7F~"}) {
    EXPECT_EQ(Take(app::Utf8Escape(Gbk(phrase).c_str())), reference(phrase)) << phrase;
  }
}

TEST_F(TranslatorTest, RequestCarriesTheIdTheEscapedTextAndThePair) {
  EXPECT_EQ(Take(app::Translate("ab", 2)), "ab");  // unknown texts come back unchanged
  EXPECT_EQ(Take(app::Translate("ab", 0)), "ab");
  EXPECT_EQ(Take(app::Translate(Gbk("中").c_str(), 27)), Gbk("中"));
  std::string prefix = "/v2/Http.svc/Translate?appId=C0FFEE0123456789ABCDEF0123456789ABCD5EED";
  EXPECT_EQ(service_.Targets(),
            (std::vector<std::string>{prefix + "&text=%61%62&from=zh-CHS&to=en",
                                      prefix + "&text=%61%62&from=&to=zh-CHS",
                                      prefix + "&text=%E4%B8%AD&from=zh-CHS&to=fa"}));
  // Pairs without a query text make no request and no object.
  for (int32_t pair : {15, 16, 29, -1}) {
    EXPECT_EQ(Take(app::Translate("ab", pair)), "") << pair;
    EXPECT_EQ(platform::ole::LiveObjectCount(), 0);
  }
  EXPECT_EQ(service_.Targets().size(), 3u);
}

TEST_F(TranslatorTest, ShippedPhrasesTranslateBothWays) {
  EXPECT_EQ(Take(app::Translate(Gbk("你好").c_str(), 2)), "Hello");
  EXPECT_EQ(Take(app::Translate(Gbk("夕阳下的城市").c_str(), 2)), "The city at sunset");
  EXPECT_EQ(Take(app::Translate("Goodbye", 1)), Gbk("再见"));
}

TEST_F(TranslatorTest, OnlyAReplyWithBothMarkersGivesText) {
  scripted_server::Script script;
  script.floodBytes = 10 << 20;  // within what a reply may be, and no markers in it
  ts::HttpListener bad(scripted_server::Scripted(&script));
  ASSERT_TRUE(bad.Start());
  UseService(bad.Port());
  const std::string open = "<string xmlns=\"http://schemas.microsoft.com/2003/10/Serialization/\">";
  struct Row {
    const char* what;
    Behaviour behaviour;
    std::string body;
    std::string translation;
  } rows[] = {
      {"both markers", Behaviour::kBody, open + "Hello</string>", "Hello"},
      {"text around them", Behaviour::kBody, "<?xml?>" + open + "Hello</string>\n", "Hello"},
      {"nothing between", Behaviour::kBody, open + "</string>", ""},
      {"no closing marker", Behaviour::kBody, open + "Hello", ""},
      {"closing marker only before", Behaviour::kBody, "</string>" + open + "Hello", ""},
      {"another namespace", Behaviour::kBody, "<string xmlns=\"urn:other\">Hello</string>", ""},
      {"empty reply", Behaviour::kBody, "", ""},
      {"500", Behaviour::kServerError, "", ""},
      {"10 MB", Behaviour::kFlood, "", ""},
      {"one byte a second", Behaviour::kDrip, "", ""},
      {"accepts and never answers", Behaviour::kSilent, "", ""},
  };
  for (const Row& row : rows) {
    script.behaviour = row.behaviour;
    script.body = row.body;
    EXPECT_EQ(Take(app::Translate("ab", 2)), row.translation) << row.what;
  }
  UseService(RefusingPort());
  EXPECT_EQ(Take(app::Translate("ab", 2)), "");
  // And the next request is answered as if nothing had happened.
  UseService(service_.Port());
  EXPECT_EQ(Take(app::Translate(Gbk("谢谢").c_str(), 2)), "Thank you");
}

}  // namespace
