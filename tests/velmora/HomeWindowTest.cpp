// The home window's six areas and where they lead, and the maker's page as the about window
// links it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/home/HomeUnits.h"
#include "app/home/WebLinks.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "forms/units/html/PageAddress.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/ShellRecord.h"
#include "tests/common/Gbk.h"
#include "tests/velmora/HomeTestSupport.h"

namespace velmoratest {
namespace {

namespace home = app::home;
namespace input = platform::testing;

using HomeWindowTest = HomeTest;

TEST_F(HomeWindowTest, EachAreaClickedOpensItsWindowOrTheVideoPage) {
  HomeDriver driver(nullptr);
  driver.clickSplashAt = 0;
  std::vector<std::string> aboutLinks;
  driver.onWindow = [&](uint32_t window) {
    if (window != app::kAboutWindow) return;
    EXPECT_EQ(testing_gbk::Utf8(app::GetText(app::kAboutWindow, 0, 8)), "关于Velmora");
    ClickUnit(app::kAboutWindow, home::kAboutPicture);
    ClickUnit(app::kAboutWindow, home::kAboutLinkLabel);
    for (const auto& call : input::TakeShellExecuteLog())
      aboutLinks.push_back(call.operationUtf8 + " " + call.fileUtf8);
  };
  StartHome(driver);
  input::TakeShellExecuteLog();
  const struct Area {
    const char* word;
    uint32_t label;
    uint32_t opens;  // 0: the video page
  } areas[] = {{"字幕", home::kCaptionArea, app::kSubtitleWindow},
               {"水印", home::kWatermarkArea, app::kWatermarkWindow},
               {"批量", home::kBatchArea, app::kBatchWindow},
               {"滤镜", home::kFilterArea, app::kFilterWindow},
               {"视频", home::kVideoArea, 0},
               {"关于", home::kAboutArea, app::kAboutWindow}};
  for (const Area& area : areas) {
    SCOPED_TRACE(area.word);
    const size_t before = driver.Record().opened.size();
    ClickUnit(app::kHomeWindow, area.label);
    const std::vector<uint32_t>& opened = driver.Record().opened;
    const auto shell = input::TakeShellExecuteLog();
    if (area.opens != 0) {
      ASSERT_EQ(opened.size(), before + 1);
      EXPECT_EQ(opened.back(), area.opens);
      EXPECT_TRUE(shell.empty());
    } else {
      EXPECT_EQ(opened.size(), before);
      ASSERT_EQ(shell.size(), 1u);
      EXPECT_EQ(shell[0].operationUtf8 + " " + shell[0].fileUtf8,
                std::string("open ") + home::kVideoPageAddress);
    }
  }
  // The about window's picture and label both open the maker's page shipped with the program.
  const std::string makers = "open file://" + ExecutableFolder() + "/maker/index.html";
  EXPECT_THAT(aboutLinks, ::testing::ElementsAre(makers, makers));
}

// The file address the program makes of a path leads the page viewer back to that file,
// whatever the path holds.
TEST(HomeLinksTest, FileAddressesLeadTheViewerBackToTheFile) {
  const struct Case {
    const char* path;  // UTF-8
    const char* file;  // the file the viewer reads
  } cases[] = {
      {"/opt/velmora/maker/index.html", "/opt/velmora/maker/index.html"},
      {"/opt/velmora\\maker\\index.html", "/opt/velmora/maker/index.html"},
      {"/opt/a b/Velmora #2/maker/index.html", "/opt/a b/Velmora #2/maker/index.html"},
      {"/data/100%/what?/maker/index.html", "/data/100%/what?/maker/index.html"},
      {"/opt/用户/照片 工坊/maker/index.html", "/opt/用户/照片 工坊/maker/index.html"},
  };
  for (const Case& c : cases) {
    const std::string address = home::FileAddressOf(testing_gbk::Gbk(c.path));
    EXPECT_EQ(forms::html::LocalPathOf(testing_gbk::Utf8(address)), c.file) << address;
  }
}

}  // namespace
}  // namespace velmoratest
