#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/kernel32.h"
#include "platform/testing/Automation.h"
#include "platform/user32.h"
#include "tests/platform/PlatformTestSupport.h"

namespace {

using platform::testing::ClearMessageBoxScript;
using platform::testing::ScriptMessageBoxAnswer;
using platform::testing::TakeMessageBoxLog;

class MessageBox : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearMessageBoxScript();
    TakeMessageBoxLog();
  }
  void TearDown() override { ClearMessageBoxScript(); }
};

struct DefaultCase {
  UINT type;
  int answer;
};

TEST_F(MessageBox, UnscriptedBoxesAnswerWithTheirDefaultButton) {
  const DefaultCase cases[] = {
      {MB_OK, IDOK},
      {MB_OK | MB_ICONERROR, IDOK},
      {MB_OKCANCEL, IDOK},
      {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
      {MB_ABORTRETRYIGNORE, IDABORT},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
      {MB_YESNO | MB_ICONQUESTION, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_RETRYCANCEL, IDRETRY},
      {MB_CANCELTRYCONTINUE, IDCANCEL},
      {MB_CANCELTRYCONTINUE | MB_DEFBUTTON2, IDTRYAGAIN},
      {MB_CANCELTRYCONTINUE | MB_DEFBUTTON3, IDCONTINUE},
      // A default beyond the last button falls back to the first.
      {MB_YESNO | MB_DEFBUTTON4, IDYES},
      {MB_OK | MB_DEFBUTTON2, IDOK},
      // The help button counts as one more button.
      {MB_OK | MB_HELP | MB_DEFBUTTON2, IDHELP},
      {MB_OK | MB_TASKMODAL, IDOK},
  };
  ::testing::internal::CaptureStderr();
  for (const DefaultCase& c : cases) {
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", c.type), c.answer) << std::hex << c.type;
  }
  ::testing::internal::GetCapturedStderr();
}

TEST_F(MessageBox, ScriptedAnswersComeFirstInOrder) {
  ScriptMessageBoxAnswer(IDNO);
  ScriptMessageBoxAnswer(IDCANCEL);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "1", "c", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "2", "c", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "3", "c", MB_YESNO), IDYES) << "the script is used up";
  ScriptMessageBoxAnswer(IDNO);
  ClearMessageBoxScript();
  EXPECT_EQ(MessageBoxA(nullptr, "4", "c", MB_YESNO), IDYES);
  ::testing::internal::GetCapturedStderr();
}

TEST_F(MessageBox, EachBoxIsLoggedAndPrintedInUtf8) {
  std::string text = std::string("a ") + platform_test::kPhotoGbk;
  ScriptMessageBoxAnswer(IDRETRY);
  ::testing::internal::CaptureStderr();
  MessageBoxA(nullptr, text.c_str(), platform_test::kFolderGbk, MB_RETRYCANCEL | MB_ICONWARNING);
  MessageBoxA(nullptr, nullptr, nullptr, MB_OK);
  std::string printed = ::testing::internal::GetCapturedStderr();
  // "错误" is the caption of a box that has none.
  const std::string defaultCaption = "\xE9\x94\x99\xE8\xAF\xAF";
  EXPECT_EQ(printed, std::string(platform_test::kFolderUtf8) + "\na " + platform_test::kPhotoUtf8 +
                         "\n" + defaultCaption + "\n\n");

  auto log = TakeMessageBoxLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].captionUtf8, platform_test::kFolderUtf8);
  EXPECT_EQ(log[0].textUtf8, std::string("a ") + platform_test::kPhotoUtf8);
  EXPECT_EQ(log[0].type, MB_RETRYCANCEL | MB_ICONWARNING);
  EXPECT_EQ(log[0].answer, IDRETRY);
  EXPECT_EQ(log[1].captionUtf8, defaultCaption);
  EXPECT_EQ(log[1].textUtf8, "");
  EXPECT_EQ(log[1].answer, IDOK);
  EXPECT_TRUE(TakeMessageBoxLog().empty()) << "taking the log empties it";
}

TEST_F(MessageBox, StylesWithoutButtonsAreRefused) {
  SetLastError(0);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", 7), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_MSGBOX_STYLE);
  EXPECT_TRUE(TakeMessageBoxLog().empty());
}

TEST_F(MessageBox, BoxesFromSeveralThreadsEachTakeOneAnswer) {
  constexpr int kThreads = 4, kBoxes = 25;
  for (int i = 0; i < kThreads * kBoxes; ++i) ScriptMessageBoxAnswer(i % 2 == 0 ? IDYES : IDNO);
  std::vector<int> answers(kThreads * kBoxes, 0);
  ::testing::internal::CaptureStderr();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kBoxes; ++i)
        answers[t * kBoxes + i] = MessageBoxA(nullptr, "t", "c", MB_YESNO);
    });
  }
  for (auto& thread : threads) thread.join();
  std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(answers.begin(), answers.end(), IDYES), kThreads * kBoxes / 2);
  EXPECT_EQ(std::count(answers.begin(), answers.end(), IDNO), kThreads * kBoxes / 2);
  EXPECT_EQ(TakeMessageBoxLog().size(), static_cast<size_t>(kThreads * kBoxes));
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 2 * kThreads * kBoxes)
      << "each box printed its two lines whole";
}

}  // namespace
