// The commands that talk to the user and the desktop, called through the uniform frame in a
// started program: message boxes answered from a script, the event pump against a queue
// with WM_QUIT in it, delays on the virtual clock, shell calls recorded, and sound data
// handed to a recording player.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "commands/system/SystemCommands.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel32.h"
#include "platform/testing/Automation.h"
#include "platform/testing/ShellRecord.h"
#include "platform/user32.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/sound/SoundRequest.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/Gbk.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestData.h"
#include "tests/program/TestProgram.h"

namespace testprogram {
namespace {

using rt::ArgRecord;
namespace Arg = rt::Arg;
using testing_gbk::Gbk;

// A byte set as the value model lays it out.
std::vector<uint8_t> ByteSetBlock(const std::string& bytes) {
  std::vector<uint8_t> block(rt::kByteSetHeader + bytes.size());
  rt::WriteInt32(block.data(), 1);
  rt::WriteInt32(block.data() + 4, static_cast<int32_t>(bytes.size()));
  std::memcpy(block.data() + rt::kByteSetHeader, bytes.data(), bytes.size());
  return block;
}

class SystemCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartProgram();
    platform::testing::ClearMessageBoxScript();
    platform::testing::TakeMessageBoxLog();
  }
  void TearDown() override {
    rt::SetSoundPlayer(nullptr);
    rt::EndProgram(0);
  }
};

TEST_F(SystemCommandsTest, ShowMessageFormatsAddsTheTaskModalBitAndNumbersTheButtons) {
  const std::string text = Gbk("你好");
  const std::string caption = Gbk("标题");
  const std::string empty;
  const std::vector<uint8_t> bytes = ByteSetBlock("abc");
  struct Row {
    ArgRecord value;
    int32_t flags;
    ArgRecord caption;  // omitted unless given
    int answer;         // the button the script presses
    const char* shownText;
    const char* shownCaption;
    UINT style;
    int32_t result;
  };
  const Row rows[] = {
      {Arg::Int(5), 0, Arg::Omitted(), IDOK, "5", "信息：", 0x2000, 0},
      // System-modal: no task-modal bit; No is 6.
      {Arg::Int(5), 0x1004, Arg::Omitted(), IDNO, "5", "信息：", 0x1004, 6},
      // Added, not or-ed: a task-modal bit already there carries into 0x4000.
      {Arg::Int(-7), 0x2001, Arg::Omitted(), IDCANCEL, "-7", "信息：", 0x4001, 1},
      {Arg::Double(0.1), 0x1002, Arg::Text(caption.c_str()), IDABORT, "0.1", "标题", 0x1002, 2},
      {Arg::Long(-9000000000LL), 2, Arg::Omitted(), IDRETRY, "-9000000000", "信息：", 0x2002, 3},
      {Arg::Float(1.5f), 2, Arg::Omitted(), IDIGNORE, "1.5", "信息：", 0x2002, 4},
      {Arg::Bool(true), 4, Arg::Omitted(), IDYES, "真", "信息：", 0x2004, 5},
      {Arg::Byte(200), 0, Arg::Omitted(), 42, "200", "信息：", 0x2000, 0},
      {Arg::DateTime(0.0), 0, Arg::Omitted(), IDOK, "1899年12月30日", "信息：", 0x2000, 0},
      {Arg::Text(text.c_str()), 0, Arg::Text(empty.c_str()), IDOK, "你好", "", 0x2000, 0},
      // Byte sets and omitted values have no message text.
      {Arg::Bytes(bytes.data()), 0, Arg::Omitted(), IDOK, "", "信息：", 0x2000, 0},
      {Arg::Omitted(), 0, Arg::Omitted(), IDOK, "", "信息：", 0x2000, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shownText);
    platform::testing::ScriptMessageBoxAnswer(row.answer);
    const ArgRecord result =
        rt::Call(cmd::ShowMessage, {row.value, Arg::Int(row.flags), row.caption});
    EXPECT_EQ(result.type, rt::kTypeInt);
    EXPECT_EQ(result.Low(), static_cast<uint32_t>(row.result));
    const auto shown = platform::testing::TakeMessageBoxLog();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].textUtf8, row.shownText);
    EXPECT_EQ(shown[0].captionUtf8, row.shownCaption);
    EXPECT_EQ(shown[0].type, row.style);
  }
}

std::vector<UINT> g_handled;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER) g_handled.push_back(message);
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(SystemCommandsTest, ProcessEventsHandlesWhatWaitsAndLeavesQuitQueued) {
  // Nothing waiting: the call comes straight back.
  rt::Call(cmd::ProcessEvents, {});

  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "SystemCommandsRecorder";
  RegisterClassA(&wc);
  HWND window =
      CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  g_handled.clear();
  PostMessageA(window, WM_USER + 1, 0, 0);
  PostMessageA(window, WM_USER + 2, 0, 0);
  PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 7, 0);
  PostMessageA(window, WM_USER + 3, 0, 0);
  rt::Call(cmd::ProcessEvents, {});
  EXPECT_THAT(g_handled, ::testing::ElementsAre(WM_USER + 1, WM_USER + 2));

  MSG next{};
  ASSERT_TRUE(PeekMessageA(&next, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(next.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(next.wParam, 7u);
  rt::Call(cmd::ProcessEvents, {});
  EXPECT_THAT(g_handled, ::testing::ElementsAre(WM_USER + 1, WM_USER + 2, WM_USER + 3));
  DestroyWindow(window);
}

TEST_F(SystemCommandsTest, DelaySleepsItsTimeAndNegativeTimesNone) {
  platform::kernel::UseVirtualClock(true);
  const struct {
    int32_t milliseconds;
    uint64_t slept;
  } rows[] = {{-5, 0}, {INT_MIN, 0}, {0, 0}, {30, 30}, {1, 1}};
  for (const auto& row : rows) {
    const uint64_t before = platform::kernel::ClockNowMs();
    rt::Call(cmd::Delay, {Arg::Int(row.milliseconds)});
    EXPECT_EQ(platform::kernel::ClockNowMs() - before, row.slept) << row.milliseconds;
  }
  platform::kernel::UseVirtualClock(false);
}

TEST_F(SystemCommandsTest, OpenWebAddressHandsTheAddressToTheShellAsItIs) {
  platform::testing::SetShellExecuteMode(platform::testing::ShellExecuteMode::Record);
  platform::testing::TakeShellExecuteLog();
  // Characters a command line would act on arrive untouched, as the thing to open.
  const std::string tricky = "http://127.0.0.1/?q=a b;touch pwned&x=$(id)`id`";
  const std::string chinese = Gbk("http://127.0.0.1/电影");
  rt::Call(cmd::OpenWebAddress, {Arg::Text(tricky.c_str())});
  rt::Call(cmd::OpenWebAddress, {});
  HWND browser = CreateWindowExA(0, "STATIC", "Microsoft Internet Explorer", WS_OVERLAPPEDWINDOW, 0,
                                 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(browser, nullptr);
  rt::Call(cmd::OpenWebAddress, {Arg::Text(chinese.c_str())});
  DestroyWindow(browser);

  const auto log = platform::testing::TakeShellExecuteLog();
  platform::testing::SetShellExecuteMode(platform::testing::ShellExecuteMode::Automatic);
  ASSERT_EQ(log.size(), 3u);
  const std::string files[] = {tricky, cmd::kDefaultWebAddress, "http://127.0.0.1/电影"};
  const HWND owners[] = {nullptr, nullptr, browser};
  for (size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(log[i].operationUtf8, "open");
    EXPECT_EQ(log[i].fileUtf8, files[i]);
    EXPECT_EQ(log[i].parametersUtf8, "");
    EXPECT_EQ(log[i].directoryUtf8, "");
    EXPECT_EQ(log[i].showCommand, SW_SHOWNORMAL);
    EXPECT_EQ(log[i].window, owners[i]);
  }
}

struct PlayedSound {
  rt::SoundFormat format;
  std::string bytes;
  bool loop;
};
std::vector<PlayedSound> g_played;

bool RecordingPlayer(const rt::RecognisedSound& sound, const uint8_t* bytes, size_t length,
                     bool loop) {
  g_played.push_back(
      {sound.format, std::string(reinterpret_cast<const char*>(bytes), length), loop});
  return true;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(SystemCommandsTest, PlaySoundDataPassesRecognisedBytesFromFilesAndByteSets) {
  VELMORA_REQUIRE_TESTDATA();
  const std::string wavePath = testing_data::Path("wav/waveformatex-8bit-11025Hz-mono.wav");
  const std::string midiPath = testing_data::Path("midi/test-c-major-scale.mid");
  const std::string wave = FileBytes(wavePath);
  const std::string midi = FileBytes(midiPath);
  ASSERT_FALSE(wave.empty());
  ASSERT_FALSE(midi.empty());
  const std::vector<uint8_t> waveSet = ByteSetBlock(wave);
  const std::vector<uint8_t> noise = ByteSetBlock("RIFF....WAVX and more bytes than thirty-six");
  const std::string missing = testing_temp::Folder() + "/velmora-no-such-sound.wav";

  // Until the player is there, nothing is accepted.
  EXPECT_EQ(rt::Call(cmd::PlaySoundData, {Arg::Bytes(waveSet.data())}).Low(), 0u);

  rt::SetSoundPlayer(RecordingPlayer);
  g_played.clear();
  struct Row {
    ArgRecord data;
    ArgRecord loop;
    bool accepted;
  };
  const Row rows[] = {
      {Arg::Bytes(waveSet.data()), Arg::Int(1), true},
      {Arg::Text(midiPath.c_str()), Arg::Omitted(), true},
      {Arg::Text(missing.c_str()), Arg::Omitted(), false},
      {Arg::Text(""), Arg::Omitted(), false},
      {Arg::Bytes(nullptr), Arg::Omitted(), false},
      {Arg::Bytes(noise.data()), Arg::Omitted(), false},
      {Arg::Int(5), Arg::Omitted(), false},
  };
  for (const Row& row : rows) {
    const ArgRecord result = rt::Call(cmd::PlaySoundData, {row.data, row.loop});
    EXPECT_EQ(result.type, rt::kTypeBool);
    EXPECT_EQ(result.Low(), row.accepted ? 1u : 0u);
  }
  ASSERT_EQ(g_played.size(), 2u);
  EXPECT_EQ(g_played[0].format, rt::SoundFormat::Wave);
  EXPECT_EQ(g_played[0].bytes, wave);
  EXPECT_TRUE(g_played[0].loop);
  EXPECT_EQ(g_played[1].format, rt::SoundFormat::Midi);
  EXPECT_EQ(g_played[1].bytes, midi);
  EXPECT_FALSE(g_played[1].loop);
}

}  // namespace
}  // namespace testprogram
