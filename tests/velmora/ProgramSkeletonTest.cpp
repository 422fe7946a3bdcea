// The program image holds all nine windows, and each can be opened and closed on its own.
#include <gtest/gtest.h>

#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "platform/user32.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {
namespace {

class ProgramSkeletonTest : public VelmoraTest {};

TEST_F(ProgramSkeletonTest, EveryWindowOpensAndClosesAndTheGlobalsEndOnce) {
  // The home window waits in its start sequence when it opens; the home tests drive it.
  for (uint32_t window : {app::kSplashWindow, app::kWebPageWindow, app::kAboutWindow,
                          app::kSubtitleWindow, app::kSubtitleLibraryWindow, app::kFilterWindow,
                          app::kWatermarkWindow, app::kBatchWindow}) {
    SCOPED_TRACE(window);
    OpenWindow(window);
    HWND handle = Handle(window);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(app::WindowHandleOf(window, 0),
              static_cast<int32_t>(reinterpret_cast<intptr_t>(handle)));
    app::CloseWindow(window);
    Pump();
    EXPECT_EQ(Handle(window), nullptr);
  }
  const int32_t before = app::GlobalsFreedCount();
  EndVelmora();
  EXPECT_EQ(app::GlobalsFreedCount(), before + 1);
  EXPECT_EQ(app::G().captionLines, nullptr);
}

}  // namespace
}  // namespace velmoratest
