#include "tests/velmora/VelmoraTestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/VelmoraProgram.h"
#include "commands/system/WindowCommands.h"
#include "platform/testing/Automation.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/TempFolder.h"

namespace velmoratest {

namespace testing = platform::testing;

void StartVelmora() {
  // Nothing on record or scripted by a test run before, whatever the order.
  testing::TakeMessageBoxLog();
  testing::ClearMessageBoxScript();
  testing::ClearDialogScripts();
  testing::TakeFileDialogLog();
  app::AssembleProgram();
  rt::InitRuntime(&app::ProgramHeader());
  app::CreateGlobals();
  rt::SetEndRoutine(&app::FreeGlobals);
}

void EndVelmora() {
  rt::EndProgram(0);
  Pump();
}

void OpenWindow(uint32_t window) {
  rt::Call(cmd::LoadWindow, {rt::Arg::Unit(window, 0, 0x00010001)});
  Pump();
}

HWND Handle(uint32_t window, uint32_t unit) {
  intptr_t object = rt::RuntimeNotify(cmd::kNotifyFindUnit, window, unit);
  if (object == 0) return nullptr;
  return reinterpret_cast<HWND>(rt::RuntimeNotify(cmd::kNotifyUnitWindowHandle, object, 0));
}

void Pump() {
  rt::HandleWaitingMessages();
}

void ClickUnit(uint32_t window, uint32_t unit) {
  HWND handle = Handle(window, unit);
  ASSERT_NE(handle, nullptr);
  RECT r{};
  GetClientRect(handle, &r);
  testing::AdvanceClock(1000);
  ASSERT_TRUE(testing::ClickInWindow(handle, {r.right / 2, r.bottom / 2}));
  Pump();
}

void PressWith(int modifier, int key) {
  testing::KeyDown(modifier);
  testing::PressKey(key);
  Pump();
  testing::KeyUp(modifier);
  Pump();
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ByteSetOf(uint32_t window, uint32_t unit, int32_t property) {
  void* block = app::GetByteSet(window, unit, property);
  const rt::ByteSetView view = rt::ViewByteSet(block);
  std::vector<uint8_t> bytes(view.data, view.data + view.size);
  app::FreeBlock(block);
  return bytes;
}

void HandOver(const std::vector<uint8_t>& picture) {
  app::ReplaceBlock(app::G().processedPicture,
                    rt::BuildByteSet(rt::AllocMemSized, picture.data(), picture.size()));
}

WhenIdle::WhenIdle(std::function<void()> step) : step_(std::move(step)) {
  // A window of the test's own, which the program's end does not wait for.
  anchor_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  rt::AddIdleRoutine(
      anchor_, [](intptr_t self) { reinterpret_cast<WhenIdle*>(self)->step_(); },
      reinterpret_cast<intptr_t>(this));
}

WhenIdle::~WhenIdle() {
  rt::RemoveIdleRoutines(anchor_);
  DestroyWindow(anchor_);
}

void VelmoraTest::TearDown() {
  EndVelmora();
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

const std::string& VelmoraTest::Folder() {
  if (folder_.empty()) folder_ = testing_temp::MakeFolder("velmora-test");
  EXPECT_FALSE(folder_.empty());
  return folder_;
}

}  // namespace velmoratest
