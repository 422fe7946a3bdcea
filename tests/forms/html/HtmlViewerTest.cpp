// The viewer unit in a loaded window against a web server on 127.0.0.1: the order of a
// navigation's events, what a handler of event 0 or 9 decides, the url, caption and status
// texts, failures (missing pages, time-outs, offline) with the built-in page, a server that
// never answers, and clicks, hovering, keys and the wheel driven through injected input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "forms/properties/UnitProperties.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/html/HtmlViewerUnit.h"
#include "forms/windows/WindowList.h"
#include "libraries/ProgramLibraries.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/testing/ShellRecord.h"
#include "platform/winuser_lists.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/Gbk.h"
#include "tests/common/TempFolder.h"
#include "tests/forms/engine/FormsTestSupport.h"
#include "tests/forms/html/LocalWebServer.h"
#include "tests/forms/html/TestPictures.h"

namespace formtest {
namespace {

using forms::html::HtmlViewerUnit;
using htmltest::LocalWebServer;
using ::testing::ElementsAre;
using testing_gbk::Gbk;

constexpr uint32_t kViewer = 2;
constexpr int kViewerWidth = 400;
constexpr int kViewerHeight = 300;

std::string TakeText(int64_t value) {
  auto* p = reinterpret_cast<char*>(static_cast<uintptr_t>(value));
  std::string out = p != nullptr ? p : "";
  rt::FreeMem(p);
  return out;
}

class HtmlViewerTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    forms::RegisterUnitType(forms::kTypeHtmlViewer, static_cast<const rt::DataTypeDescriptor*>(
                                                        libs::HtmlViewerLibrary()->dataTypes));
    platform::testing::TakeShellExecuteLog();
    forms::html::SetFetchLimits({});
    server_.Page("/second.html", "text/html",
                 "<html><head><title>Second</title></head><body>"
                 "<p>second page</p></body></html>");
    server_.Redirect("/redirect", "/second.html");
  }
  void TearDown() override {
    server_.Release();
    EngineTest::TearDown();
    forms::UnregisterUnitType(forms::kTypeHtmlViewer);
    forms::html::SetFetchLimits({});
  }

  // A window holding one viewer whose events 0-9 go to handlers 0-9.
  void LoadViewer(uint32_t offline = 0, uint32_t silent = 0, int width = kViewerWidth,
                  int height = kViewerHeight) {
    TestForm form(1);
    auto& unit = form.AddUnit(kViewer, forms::kTypeHtmlViewer, 5, 5, width, height);
    forms::TypeBlock block(*forms::FindTypeBlockLayout(forms::kTypeHtmlViewer));
    block.SetWord(forms::html::kHtmlOffline, offline);
    block.SetWord(forms::html::kHtmlSilent, silent);
    unit.typeBlock = block.Write();
    for (int32_t e = 0; e <= 9; ++e) unit.bindings.push_back({e, Offset(static_cast<uint32_t>(e))});
    form.Window().width = width + 40;
    form.Window().height = height + 60;
    ReadForms({form});
    ASSERT_TRUE(Load(form.WindowId()));
    window_ = form.WindowId();
    Journal().clear();
  }

  HWND ViewerHandle() { return UnitHandle(window_, UnitIdOf(kViewer)); }
  HtmlViewerUnit* Viewer() {
    return dynamic_cast<HtmlViewerUnit*>(forms::UnitObject::FromHandle(ViewerHandle()));
  }
  std::string Text(uint32_t property) {
    return TakeText(
        GetUnitProperty(window_, UnitIdOf(kViewer), static_cast<int32_t>(property), -1));
  }
  void SetUrl(const std::string& gbk) {
    auto p = reinterpret_cast<uintptr_t>(gbk.c_str());
    forms::SetUnitProperty(window_, UnitIdOf(kViewer), forms::html::kHtmlUrl, -1,
                           static_cast<uint32_t>(p), static_cast<uint32_t>(p >> 32));
  }
  static int64_t GetUnitProperty(uint32_t w, uint32_t u, int32_t index, int32_t part) {
    return forms::GetUnitProperty(w, u, index, part);
  }
  // The viewer's events so far as "E" or "E(args)", handlers 0-9 only.
  static std::vector<std::string> Events() {
    std::vector<std::string> out;
    for (const std::string& line : Lines({"handler "})) {
      unsigned handler = 0;
      char args[64] = {};
      if (std::sscanf(line.c_str(), "handler %u (%63[^)])", &handler, args) < 1 || handler > 9)
        continue;
      std::string event = std::to_string(handler);
      if (args[0] != '\0') {
        event += '(';
        event += args;
        event += ')';
      }
      out.push_back(event);
    }
    return out;
  }
  // The events of one navigation with progress folded: "3" once for any run of progress.
  static std::vector<std::string> NavigationOrder(std::initializer_list<const char*> keep) {
    std::vector<std::string> out;
    for (const std::string& e : Events()) {
      std::string number = e.substr(0, e.find('('));
      bool wanted = false;
      for (const char* k : keep) wanted = wanted || number == k;
      if (!wanted || (number == "3" && !out.empty() && out.back() == "3")) continue;
      out.push_back(number);
    }
    return out;
  }
  bool Ready() {
    return platform::testing::RunUntil([] {
      for (const std::string& e : Events())
        if (e == "5") return true;
      return false;
    });
  }

  LocalWebServer server_;
  uint32_t window_ = 0;
};

TEST_F(HtmlViewerTest, NavigationRaisesItsEventsInOrderWithUrlAndCaptionAtEachStep) {
  server_.Page("/index.html", "text/html; charset=utf-8",
               "<html><head><title>Index page</title></head><body>"
               "<p><a href=\"second.html\">next</a></p>"
               "<img src=\"tall.bmp\"></body></html>");
  server_.Page("/tall.bmp", "image/bmp", htmltest::SolidBmp(20, 400, 0x00FF00));
  LoadViewer();
  std::string urlInEvent0, urlInEvent1, urlInEvent5;
  ScriptAction(0, [&] { urlInEvent0 = Text(forms::html::kHtmlUrl); });
  ScriptAction(1, [&] { urlInEvent1 = Text(forms::html::kHtmlUrl); });
  ScriptAction(5, [&] { urlInEvent5 = Text(forms::html::kHtmlUrl); });
  SetUrl(server_.Address("/index.html"));
  ASSERT_TRUE(Ready());

  EXPECT_THAT(NavigationOrder({"0", "1", "2", "3", "4", "5"}),
              ElementsAre("0", "2", "3", "1", "4", "5"));
  const std::vector<std::string> events = Events();
  // The last progress report is the whole document; the title changes before event 1.
  auto complete = std::find(events.begin(), events.end(), "1");
  ASSERT_NE(complete, events.begin());
  EXPECT_EQ(*(complete - 1), "7");
  EXPECT_EQ(*(complete - 2), "3(100)");
  EXPECT_EQ(urlInEvent0, server_.Address("/index.html"));
  EXPECT_EQ(urlInEvent1, server_.Address("/index.html"));
  EXPECT_EQ(urlInEvent5, server_.Address("/index.html"));
  EXPECT_EQ(Text(forms::html::kHtmlCaption), "Index page");
  // The picture was fetched and decoded before the document was ready: it sets the height.
  EXPECT_THAT(server_.Requests(), ElementsAre("/index.html", "/tall.bmp"));
  EXPECT_GE(Viewer()->DocumentHeight(), 400);
}

TEST_F(HtmlViewerTest, RedirectsEndAtTheirTargetAndEvent0CanForbidANavigation) {
  LoadViewer();
  SetUrl(server_.Address("/redirect"));
  ASSERT_TRUE(Ready());
  EXPECT_EQ(Text(forms::html::kHtmlUrl), server_.Address("/second.html"));
  EXPECT_EQ(Text(forms::html::kHtmlCaption), "Second");

  Journal().clear();
  ScriptResult(0, 0);
  SetUrl(server_.Address("/index.html"));
  platform::testing::RunUntilIdle();
  EXPECT_THAT(Events(), ElementsAre("0")) << "nothing follows a forbidden navigation";
  EXPECT_EQ(Text(forms::html::kHtmlUrl), server_.Address("/second.html"));
  EXPECT_THAT(server_.Requests(), ElementsAre("/redirect", "/second.html"));

  // Returning true (or nothing) lets it go on.
  Journal().clear();
  ScriptResult(0, 1);
  SetUrl(server_.Address("/redirect"));
  ASSERT_TRUE(Ready());
  EXPECT_EQ(NavigationOrder({"0", "2", "1", "5"}), (std::vector<std::string>{"0", "2", "1", "5"}));
}

TEST_F(HtmlViewerTest, FailedLoadsShowTheBuiltInPageUnlessSilentAndStillCompleteTheirEvents) {
  const std::string errorTitle = Gbk("无法显示网页");
  forms::html::SetFetchLimits({2000, 300, size_t{1} << 20});
  server_.Hanging("/slow", "late");
  server_.Page("/huge", "text/html", std::string((size_t{1} << 20) + 10, 'x'));
  server_.Redirect("/to-local", "file:///etc/hostname");
  const struct {
    const char* name;
    uint32_t offline, silent;
    std::string address;
    const char* caption;  // nullptr: the error page's
  } kCases[] = {
      {"missing page", 0, 0, server_.Address("/missing"), nullptr},
      {"time-out", 0, 0, server_.Address("/slow"), nullptr},
      {"too large", 0, 0, server_.Address("/huge"), nullptr},
      {"refused connection", 0, 0, "http://127.0.0.1:1/", nullptr},
      {"redirect to a local file", 0, 0, server_.Address("/to-local"), nullptr},
      {"offline", 1, 0, server_.Address("/second.html"), nullptr},
      {"silent", 0, 1, server_.Address("/missing"), ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    LoadViewer(c.offline, c.silent);
    const size_t requestsBefore = server_.Requests().size();
    SetUrl(c.address);
    ASSERT_TRUE(Ready());
    EXPECT_THAT(NavigationOrder({"0", "1", "2", "4", "5"}), ElementsAre("0", "2", "1", "4", "5"));
    EXPECT_EQ(Text(forms::html::kHtmlCaption), c.caption != nullptr ? c.caption : errorTitle);
    EXPECT_EQ(Text(forms::html::kHtmlUrl), c.address);
    if (c.offline) {
      EXPECT_EQ(server_.Requests().size(), requestsBefore) << "no network offline";
    }
    DestroyWindow(WindowHandle(window_));
    platform::testing::RunUntilIdle();
  }
}

TEST_F(HtmlViewerTest, AServerThatDoesNotAnswerLeavesTheWindowResponsive) {
  std::string body;
  for (int i = 0; i < 40; ++i) body += "<p style=\"height:40px;margin:0\">line</p>";
  server_.Page("/long.html", "text/html", "<body style=\"margin:0\">" + body + "</body>");
  server_.Hanging("/hang", "<title>Late</title>");
  LoadViewer();
  SetUrl(server_.Address("/long.html"));
  ASSERT_TRUE(Ready());
  Journal().clear();
  SetUrl(server_.Address("/hang"));
  ASSERT_TRUE(server_.WaitForHangingRequest());
  // While the request waits, the loop goes on dispatching input: the page still shown
  // scrolls under the keys.
  SetFocus(ViewerHandle());
  platform::testing::PressKey(VK_DOWN);
  platform::testing::PressKey(VK_DOWN);
  ASSERT_TRUE(platform::testing::RunUntil([&] { return Viewer()->ScrollTop() == 80; }));
  EXPECT_TRUE(Viewer()->Loading());
  EXPECT_THAT(NavigationOrder({"0", "1", "2", "4", "5"}), ElementsAre("0", "2"));
  server_.Release();
  ASSERT_TRUE(Ready());
  EXPECT_EQ(Text(forms::html::kHtmlCaption), "Late");
}

TEST_F(HtmlViewerTest, ClickingALinkHoveringAndGoingBackThroughInjectedInput) {
  server_.Page("/links.html", "text/html",
               "<html><head><title>Links</title></head><body style=\"margin:0\">"
               "<a href=\"/second.html\" style=\"display:block;height:40px\">second</a>"
               "<p style=\"margin:0;height:40px\">plain text</p>"
               "<a href=\"file:///etc/hostname\" style=\"display:block;height:40px\">local</a>"
               "<a href=\"/popup.html\" target=\"_blank\" style=\"display:block;height:40px\">"
               "popup</a></body></html>");
  LoadViewer();
  SetUrl(server_.Address("/links.html"));
  ASSERT_TRUE(Ready());
  HWND viewer = ViewerHandle();

  // Hovering a link shows its address as the status text (event 6) and the hand cursor.
  Journal().clear();
  POINT onLink{20, 20};
  ClientToScreen(viewer, &onLink);
  platform::testing::MouseMove(onLink);
  platform::testing::RunUntilIdle();
  EXPECT_EQ(Text(forms::html::kHtmlStatusText), server_.Address("/second.html"));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
  POINT offLink{20, 60};
  ClientToScreen(viewer, &offLink);
  platform::testing::MouseMove(offLink);
  platform::testing::RunUntilIdle();
  EXPECT_EQ(Text(forms::html::kHtmlStatusText), "");
  EXPECT_THAT(Events(), ElementsAre("6", "6"));

  // A page from the network cannot open a local file: the click starts nothing.
  Journal().clear();
  ASSERT_TRUE(platform::testing::ClickInWindow(viewer, {20, 100}));
  platform::testing::RunUntilIdle();
  EXPECT_THAT(NavigationOrder({"0", "2"}), ElementsAre());

  // A new window is asked for with event 9; refused, nothing opens; allowed, the desktop's
  // browser gets the address.
  ScriptResult(9, 0);
  ASSERT_TRUE(platform::testing::ClickInWindow(viewer, {20, 140}));
  platform::testing::RunUntilIdle();
  EXPECT_TRUE(platform::testing::TakeShellExecuteLog().empty());
  ScriptResult(9, std::nullopt);
  ASSERT_TRUE(platform::testing::ClickInWindow(viewer, {20, 140}));
  platform::testing::RunUntilIdle();
  auto shell = platform::testing::TakeShellExecuteLog();
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(shell[0].fileUtf8, server_.Address("/popup.html"));
  EXPECT_THAT(NavigationOrder({"0", "9"}), ElementsAre("9", "9"));

  // The click on the first link navigates; back becomes possible (event 8: command 1, true).
  Journal().clear();
  std::string target;
  ScriptAction(0, [&] { target = Text(forms::html::kHtmlUrl); });
  ASSERT_TRUE(platform::testing::ClickInWindow(viewer, {20, 20}));
  ASSERT_TRUE(Ready());
  EXPECT_EQ(target, server_.Address("/second.html"));
  EXPECT_EQ(Text(forms::html::kHtmlUrl), server_.Address("/second.html"));
  EXPECT_THAT(NavigationOrder({"0", "1", "2", "3", "4", "5", "8"}),
              ElementsAre("0", "2", "3", "1", "8", "4", "5"));
  EXPECT_THAT(Events(), ::testing::Contains("8(1,1)"));

  // Alt+Left goes back; forward becomes possible and back does not.
  Journal().clear();
  platform::testing::KeyDown(VK_MENU);
  platform::testing::PressKey(VK_LEFT);
  platform::testing::KeyUp(VK_MENU);
  ASSERT_TRUE(Ready());
  EXPECT_EQ(Text(forms::html::kHtmlUrl), server_.Address("/links.html"));
  EXPECT_THAT(Events(), ::testing::IsSupersetOf({"8(0,1)", "8(1,0)"}));
}

TEST_F(HtmlViewerTest, TheWheelKeysAndScrollBarMoveALongPageWithinItsBounds) {
  std::string body;
  for (int i = 0; i < 60; ++i) body += "<p style=\"height:40px;margin:0\">line</p>";
  server_.Page("/long.html", "text/html",
               "<html><body style=\"margin:0\">" + body + "</body></html>");
  LoadViewer();
  SetUrl(server_.Address("/long.html"));
  ASSERT_TRUE(Ready());
  HtmlViewerUnit* viewer = Viewer();
  HWND handle = ViewerHandle();
  RECT client{};
  GetClientRect(handle, &client);
  const int bottom = 60 * 40 - client.bottom;
  ASSERT_EQ(viewer->DocumentHeight(), 60 * 40);
  SetFocus(handle);
  POINT centre{100, 100};
  ClientToScreen(handle, &centre);

  const struct {
    const char* what;
    std::function<void()> act;
    int expected;
  } kSteps[] = {
      {"wheel down a notch", [&] { platform::testing::Wheel(centre, -WHEEL_DELTA); }, 60},
      {"down arrow", [] { platform::testing::PressKey(VK_DOWN); }, 100},
      {"page down", [] { platform::testing::PressKey(VK_NEXT); }, 100 + client.bottom - 40},
      {"end", [] { platform::testing::PressKey(VK_END); }, bottom},
      {"wheel past the end", [&] { platform::testing::Wheel(centre, -WHEEL_DELTA); }, bottom},
      {"home", [] { platform::testing::PressKey(VK_HOME); }, 0},
      {"up at the top", [] { platform::testing::PressKey(VK_UP); }, 0},
      {"scroll bar page down", [&] { SendMessageA(handle, WM_VSCROLL, SB_PAGEDOWN, 0); },
       client.bottom - 40},
  };
  for (const auto& step : kSteps) {
    step.act();
    platform::testing::RunUntilIdle();
    EXPECT_EQ(viewer->ScrollTop(), step.expected) << step.what;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(handle, SB_VERT, &info);
    EXPECT_EQ(info.nPos, step.expected) << step.what << ": the scroll bar follows";
  }
}

TEST_F(HtmlViewerTest, PagesInGbkLatin1AndUtf8ShowTheirTitlesWhateverTheyDeclare) {
  const std::string chinese = "中文标题";
  const struct {
    const char* path;
    const char* contentType;
    std::string body;
    std::string caption;  // GBK, as the property gives it
  } kPages[] = {
      {"/gbk-meta.html", "text/html",
       Gbk("<html><head><meta charset=\"gbk\"><title>" + chinese + "</title></head></html>"),
       Gbk(chinese)},
      {"/gbk-header.html", "text/html; charset=GB2312",
       Gbk("<html><head><title>" + chinese + "</title></head></html>"), Gbk(chinese)},
      {"/gbk-sniffed.html", "text/html", Gbk("<title>" + chinese + "</title>"), Gbk(chinese)},
      {"/utf8-sniffed.html", "text/html", "<title>" + chinese + "</title>", Gbk(chinese)},
      {"/latin1.html", "text/html; charset=iso-8859-1", "<title>caf\xE9</title>", Gbk("café")},
  };
  LoadViewer();
  for (const auto& page : kPages) {
    server_.Page(page.path, page.contentType, page.body);
    Journal().clear();
    SetUrl(server_.Address(page.path));
    ASSERT_TRUE(Ready()) << page.path;
    EXPECT_EQ(Text(forms::html::kHtmlCaption), page.caption) << page.path;
  }
}

// A page with the usual elements, drawn into the viewer and read back from its surface. With
// VELMORA_HTML_SCREENSHOT naming a file, the viewer is also written there as a PNG.
TEST_F(HtmlViewerTest, ARealPageIsDrawnWithItsPictureTextTableAndLinks) {
  server_.Page("/photo.bmp", "image/bmp", htmltest::SolidBmp(120, 60, 0xFF8000));
  server_.Page("/article.html", "text/html; charset=utf-8",
               "<html><head><title>胶片剧照 Film stills</title>"
               "<style>h1{color:#203080} td{padding:2px 6px}</style></head>"
               "<body style=\"margin:0 8px\">"
               "<img src=\"photo.bmp\" style=\"display:block\">"
               "<h1>剧照工具 Velmora</h1>"
               "<p>一张剧照，一段故事。Every still tells a story; this one is "
               "<b>bold</b>, <i>italic</i> and <a href=\"/second.html\">linked</a>.</p>"
               "<ul><li>第一项 first item</li><li>第二项 second item</li></ul>"
               "<table border=\"1\"><tr><th>名称</th><th>Size</th></tr>"
               "<tr><td>胶片</td><td>35 mm</td></tr></table>"
               "<p style=\"color:#c00000\">红色的字 red words</p>"
               "</body></html>");
  LoadViewer(0, 0, 440, 520);
  SetUrl(server_.Address("/article.html"));
  ASSERT_TRUE(Ready());
  HWND viewer = ViewerHandle();
  platform::testing::Image shot = platform::testing::CaptureWindow(viewer);
  ASSERT_FALSE(shot.empty());
  RECT frame{};
  GetWindowRect(viewer, &frame);
  POINT origin{0, 0};
  ClientToScreen(viewer, &origin);
  const int ox = origin.x - frame.left, oy = origin.y - frame.top;
  if (const char* path = std::getenv("VELMORA_HTML_SCREENSHOT"))
    platform::testing::WritePng(shot, path);

  // The picture sits at the top left of the page, in its own colour and size.
  EXPECT_EQ(shot.At(ox + 8, oy), 0xFF8000u);
  EXPECT_EQ(shot.At(ox + 8 + 119, oy + 59), 0xFF8000u);
  EXPECT_EQ(shot.At(ox + 8 + 121, oy + 30), 0xFFFFFFu);
  // Rows below the picture: count pixels of the colours the page asked for.
  auto count = [&](auto match) {
    int n = 0;
    for (int y = oy + 60; y < shot.height; ++y)
      for (int x = ox; x < ox + 400 && x < shot.width; ++x) n += match(shot.At(x, y));
    return n;
  };
  auto near = [](uint32_t p, uint32_t q) {
    for (int shift = 0; shift < 24; shift += 8) {
      if (std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF)) >
          24)
        return false;
    }
    return true;
  };
  EXPECT_GT(count([&](uint32_t p) { return near(p, 0x203080); }), 50) << "the heading";
  EXPECT_GT(count([&](uint32_t p) { return near(p, 0x0000EE); }), 20) << "the link";
  EXPECT_GT(count([&](uint32_t p) { return near(p, 0xC00000); }), 50) << "the red words";
  EXPECT_GT(count([&](uint32_t p) { return p == 0x000000; }), 200) << "body text";
  EXPECT_GT(count([&](uint32_t p) { return near(p, 0x808080); }), 40) << "the table's borders";

  // FontSize scales the page's base font: each larger choice makes the page taller, and a
  // choice beyond the list is the largest.
  std::vector<int> heights;
  for (uint32_t choice : {0u, 1u, 2u, 3u, 4u, 9u}) {
    forms::SetUnitProperty(window_, UnitIdOf(kViewer), forms::html::kHtmlFontSize, -1, choice, 0);
    heights.push_back(Viewer()->DocumentHeight());
  }
  EXPECT_TRUE(std::is_sorted(heights.begin(), heights.end())) << ::testing::PrintToString(heights);
  EXPECT_LT(heights[0], heights[4]);
  EXPECT_EQ(heights[5], heights[4]);
  EXPECT_EQ(GetUnitProperty(window_, UnitIdOf(kViewer), forms::html::kHtmlFontSize, -1), 4);
}

TEST_F(HtmlViewerTest, LocalPagesMayLinkToLocalFiles) {
  const std::string folder = testing_temp::MakeFolder("viewer");
  ASSERT_FALSE(folder.empty());
  std::ofstream(folder + "/a.html")
      << "<html><head><title>A</title></head><body style=\"margin:0\">"
         "<a href=\"b.html\" style=\"display:block;height:40px\">b</a>"
         "</body></html>";
  std::ofstream(folder + "/b.html") << "<title>B</title>";
  LoadViewer();
  SetUrl(folder + "/a.html");
  ASSERT_TRUE(Ready());
  EXPECT_EQ(Text(forms::html::kHtmlCaption), "A");
  Journal().clear();
  ASSERT_TRUE(platform::testing::ClickInWindow(ViewerHandle(), {10, 10}));
  ASSERT_TRUE(Ready());
  EXPECT_EQ(Text(forms::html::kHtmlCaption), "B");
  EXPECT_EQ(Text(forms::html::kHtmlUrl), "file://" + folder + "/b.html");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace formtest
