// The HTTP request class through the object commands, against servers on 127.0.0.1 that
// the tests start: the translation server for proper replies, and handlers that refuse,
// fail, flood, trickle or fall silent. Failures must end the call with a status, never
// hang it: the silent cases are bounded only by the time-outs the test sets, since their
// servers wait until the test stops them.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "commands/objects/ObjectCommands.h"
#include "platform/ole/ClassRegistry.h"
#include "platform/ole/OleAuto.h"
#include "platform/ole/WinHttpRequest.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ObjectValue.h"
#include "tests/commands/CommandTestSupport.h"
#include "tests/common/ScriptedServer.h"
#include "tools/translation_server/HttpListener.h"
#include "tools/translation_server/TranslationService.h"

namespace {

using rt::ArgRecord;
namespace Arg = rt::Arg;
namespace st = cmd::object_status;
namespace ts = translation_server;
using scripted_server::Behaviour;
using scripted_server::RefusingPort;

class HttpRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cmdtest::AttachRuntime();
    ArgRecord made =
        rt::Call(cmd::CreateObject, {Object(), Arg::Text("WinHttp.WinHttpRequest.5.1")});
    ASSERT_EQ(made.Low(), 1u);
  }
  void TearDown() override {
    rt::Call(cmd::ReleaseObject, {Object()});
    EXPECT_EQ(platform::ole::LiveObjectCount(), 0);
  }

  ArgRecord Object() { return Arg::PointerOf(rt::kTypeObject, &request_); }

  int32_t Method(std::initializer_list<ArgRecord> args) {
    std::vector<ArgRecord> all{Object()};
    all.insert(all.end(), args.begin(), args.end());
    rt::CallCommand(cmd::CallObjectMethod, static_cast<int32_t>(all.size()), all.data());
    return cmd::ObjectCallStatus();
  }

  // Reads a member as a variant and returns its text (empty when the read failed).
  std::string ReadText(std::initializer_list<ArgRecord> args, int32_t* status = nullptr) {
    std::vector<ArgRecord> all{Object()};
    all.insert(all.end(), args.begin(), args.end());
    ArgRecord v =
        rt::CallCommand(cmd::ReadObjectMember, static_cast<int32_t>(all.size()), all.data());
    if (status != nullptr) *status = cmd::ObjectCallStatus();
    ArgRecord variant = Arg::PointerOf(rt::kTypeVariant, v.Pointer());
    std::string text = cmdtest::TakeText(rt::Call(cmd::VariantToText, {variant}));
    rt::Call(cmd::ClearVariant, {variant});
    rt::FreeMem(v.Pointer());
    return text;
  }

  // Opens a GET of the path on the port and sends it; the status of the send.
  int32_t Get(uint16_t port, const std::string& path) {
    std::string url = "http://127.0.0.1:" + std::to_string(port) + path;
    EXPECT_EQ(
        Method({Arg::Text("open"), Arg::Text("GET"), Arg::Text(url.c_str()), Arg::Bool(false)}),
        st::kOk);
    return Method({Arg::Text("send")});
  }

  rt::ObjectValue request_{};
};

TEST_F(HttpRequestTest, AnsweredRequestShowsStatusHeadersAndText) {
  ts::PhraseTable phrases;
  ts::AddPhrase(&phrases, "你好", "Hello");
  ts::HttpListener server([&](ts::Connection& c, const ts::RequestHead& r) {
    c.Send(ts::TranslationReply(phrases, r));
  });
  ASSERT_TRUE(server.Start());
  ASSERT_EQ(Get(server.Port(),
                "/v2/Http.svc/Translate?appId=1&text=%E4%BD%A0%E5%A5%BD&from=zh-CHS&to=en"),
            st::kOk);
  EXPECT_EQ(ReadText({Arg::Text("Status")}), "200");
  EXPECT_EQ(ReadText({Arg::Text("statustext")}), "OK");
  EXPECT_EQ(ReadText({Arg::Text("ResponseText")}),
            "<string xmlns=\"http://schemas.microsoft.com/2003/10/Serialization/\">Hello</string>");
  EXPECT_EQ(ReadText({Arg::Text("GetResponseHeader"), Arg::Text("content-TYPE")}),
            "application/xml; charset=utf-8");
  std::string length = std::to_string(ts::StringElement("Hello").size());
  EXPECT_NE(
      ReadText({Arg::Text("GetAllResponseHeaders")}).find("Content-Length: " + length + "\r\n"),
      std::string::npos);
  int32_t status = 0;
  EXPECT_EQ(ReadText({Arg::Text("GetResponseHeader"), Arg::Text("X-None")}, &status), "");
  EXPECT_EQ(status, st::kException);
  // The body as bytes: an array variant whose last element is the closing bracket.
  ArgRecord body = rt::Call(cmd::ReadObjectMember, {Object(), Arg::Text("ResponseBody")});
  ArgRecord bytes = Arg::PointerOf(rt::kTypeVariant, body.Pointer());
  auto last = static_cast<int32_t>(ts::StringElement("Hello").size());
  EXPECT_EQ(cmdtest::TakeText(rt::Call(cmd::VariantToText, {bytes, Arg::Int(last)})), "62");
  EXPECT_EQ(cmdtest::TakeText(rt::Call(cmd::VariantToText, {bytes, Arg::Int(last + 1)})), "");
  rt::Call(cmd::ClearVariant, {bytes});
  rt::FreeMem(body.Pointer());
  EXPECT_EQ(server.Targets().size(), 1u);
}

TEST_F(HttpRequestTest, ResponseTextIsDecodedByTheReplysCharset) {
  scripted_server::Script script;
  ts::HttpListener server(scripted_server::Scripted(&script));
  ASSERT_TRUE(server.Start());
  std::string chinese = cmdtest::Gbk("中文");
  struct Row {
    const char* contentType;
    std::string body;
    std::string text;  // GBK, as VariantToText gives it
  } rows[] = {
      {"text/plain", "\xE4\xB8\xAD\xE6\x96\x87", chinese},  // UTF-8 unless said otherwise
      {"text/plain; charset=\"GBK\"", chinese, chinese},
      {"text/plain; charset=ISO-8859-1", "caf\xE9", "caf" + cmdtest::Gbk("é")},
      {"text/plain; charset=no-such-set", "ok", "ok"},
      {"text/plain; charset=utf-8",
       "a\xFF"
       "b",
       "a?b"},  // U+FFFD has no GBK form
  };
  for (const Row& row : rows) {
    script.contentType = row.contentType;
    script.body = row.body;
    ASSERT_EQ(Get(server.Port(), "/"), st::kOk) << row.contentType;
    EXPECT_EQ(ReadText({Arg::Text("ResponseText")}), row.text) << row.contentType;
  }
}

TEST_F(HttpRequestTest, HeadersAreSentAndLineBreaksInThemRefused) {
  std::string seen;
  ts::HttpListener server([&](ts::Connection& c, const ts::RequestHead& r) {
    for (const std::string& h : r.headers) {
      if (h.rfind("X-Caption:", 0) == 0) seen = h;
    }
    c.Send(ts::Reply(200, "OK", "text/plain", "ok"));
  });
  ASSERT_TRUE(server.Start());
  std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/";
  ASSERT_EQ(Method({Arg::Text("Open"), Arg::Text("GET"), Arg::Text(url.c_str())}), st::kOk);
  EXPECT_EQ(
      Method({Arg::Text("SetRequestHeader"), Arg::Text("X-Caption"), Arg::Text("a\r\nX-Evil: 1")}),
      st::kInvokeFailed);
  EXPECT_EQ(Method({Arg::Text("SetRequestHeader"), Arg::Text("X-Caption"), Arg::Text("film")}),
            st::kOk);
  ASSERT_EQ(Method({Arg::Text("Send")}), st::kOk);
  EXPECT_EQ(seen, "X-Caption: film");
}

TEST_F(HttpRequestTest, FailingServersEndTheRequestWithAnException) {
  scripted_server::Script script;
  script.floodBytes = 20 << 20;
  ts::HttpListener server(scripted_server::Scripted(&script));
  ASSERT_TRUE(server.Start());
  struct Row {
    const char* what;
    Behaviour behaviour;
    int32_t send;
    const char* status;
  } rows[] = {
      {"500", Behaviour::kServerError, st::kOk, "500"},
      {"more than 16 MiB", Behaviour::kFlood, st::kException, ""},
      {"one byte a second", Behaviour::kDrip, st::kException, ""},
      {"accepts and never answers", Behaviour::kSilent, st::kException, ""},
  };
  // Resolve unlimited, connect 2 s, send and receive 300 ms.
  ASSERT_EQ(
      Method({Arg::Text("SetTimeouts"), Arg::Int(0), Arg::Int(2000), Arg::Int(300), Arg::Int(300)}),
      st::kOk);
  for (const Row& row : rows) {
    script.behaviour = row.behaviour;
    EXPECT_EQ(Get(server.Port(), "/"), row.send) << row.what;
    int32_t status = 0;
    EXPECT_EQ(ReadText({Arg::Text("Status")}, &status), row.status) << row.what;
    if (row.send != st::kOk) {
      EXPECT_EQ(status, st::kException) << row.what;
    }
  }
  // Nobody listening: refused at once.
  EXPECT_EQ(Get(RefusingPort(), "/"), st::kException);
  int32_t status = 0;
  EXPECT_EQ(ReadText({Arg::Text("ResponseText")}, &status), "");
  EXPECT_EQ(status, st::kException);
  // Sending before opening is refused too.
  rt::Call(cmd::ReleaseObject, {Object()});
  ASSERT_EQ(rt::Call(cmd::CreateObject, {Object(), Arg::Text("WinHttp.WinHttpRequest.5.1")}).Low(),
            1u);
  EXPECT_EQ(Method({Arg::Text("Send")}), st::kException);
}

}  // namespace
