// What GetMessage and PeekMessage hand out, in which order, and what filters select.
#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Presenter.h"
#include "platform/user/WindowManager.h"
#include "tests/platform/user/MessageTestSupport.h"

using namespace message_test;

namespace {

constexpr UINT kFirst = WM_USER + 1;
constexpr UINT kSecond = WM_USER + 2;
constexpr UINT kThird = WM_USER + 3;
constexpr UINT kFourth = WM_USER + 4;
const HWND kThreadOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

MSG KeyDown(HWND hwnd, int key) {
  return MSG{hwnd, WM_KEYDOWN, static_cast<WPARAM>(key), 1, GetTickCount(), POINT{0, 0}};
}

// Waits (without sleeping) until a message sent from another thread is waiting here.
void WaitForIncomingSend() {
  while ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0) std::this_thread::yield();
}

class MessageOrderTest : public MessageTest {};

TEST_F(MessageOrderTest, SentThenPostedThenInputThenPaintThenTimerThenQuit) {
  TestWindow window;
  ASSERT_NE(window.get(), nullptr);
  platform::testing::RunUntilIdle();
  TakeLog();

  ASSERT_NE(SetTimer(window, 5, 100, nullptr), 0u);
  platform::testing::AdvanceClock(100);
  PostQuitMessage(7);
  ASSERT_TRUE(platform::user::PostInputMessage(KeyDown(window, 'A')));
  ASSERT_TRUE(PostMessageA(window, kFirst, 0, 0));
  ASSERT_TRUE(InvalidateRect(window, nullptr, FALSE));
  std::atomic<LRESULT> sendResult{0};
  std::thread sender([&] { sendResult = SendMessageA(window, kSecond, 0, 0); });
  WaitForIncomingSend();

  std::vector<UINT> retrieved;
  MSG msg;
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    retrieved.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  sender.join();
  EXPECT_EQ(got, 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(retrieved, (std::vector<UINT>{kFirst, WM_KEYDOWN, WM_PAINT, WM_TIMER}));
  // The sent message ran before anything was retrieved, inside the first GetMessage.
  auto log = TakeLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front().message, kSecond);
  EXPECT_TRUE(log.front().inSend);
  EXPECT_EQ(Kinds(log), (std::vector<UINT>{kSecond, kFirst, WM_KEYDOWN, WM_PAINT, WM_TIMER}));
}

TEST_F(MessageOrderTest, PostedMessagesComeInPostingOrderWithTheirParameters) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  ASSERT_TRUE(PostMessageA(window, kFirst, 11, 12));
  ASSERT_TRUE(PostMessageA(nullptr, kSecond, 21, 22));  // a thread message
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), kThird, 31, 32));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, window.get());
  EXPECT_EQ(msg.message, kFirst);
  EXPECT_EQ(msg.wParam, 11u);
  EXPECT_EQ(msg.lParam, 12);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.message, kSecond);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kThird);
  EXPECT_EQ(msg.lParam, 32);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageOrderTest, NoRemoveLeavesTheMessageAndQuitStaysUntilRemoved) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  PostMessageA(window, kFirst, 1, 0);
  PostMessageA(window, kSecond, 2, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, kFirst);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, kFirst);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kFirst);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kSecond);

  PostQuitMessage(3);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
  }
  // The automation stops in front of the quit and leaves it for the program's loop.
  EXPECT_EQ(platform::testing::RunUntilIdle(), 0);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(MessageOrderTest, QuitWaitsBehindEverythingElse) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  PostQuitMessage(0);
  PostMessageA(window, kFirst, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kFirst);
  InvalidateRect(window, nullptr, FALSE);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  DispatchMessageA(&msg);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(MessageOrderTest, FiltersSelectByWindowDescendantsAndRange) {
  TestWindow first;
  TestWindow second;
  TestWindow child(first.get());
  ASSERT_NE(child.get(), nullptr);
  platform::testing::RunUntilIdle();
  PostMessageA(second, kFirst, 0, 0);
  PostMessageA(nullptr, kSecond, 0, 0);
  PostMessageA(child, kThird, 0, 0);
  PostMessageA(first, kFourth, 0, 0);

  MSG msg;
  // A window filter takes the window and its children, not thread messages.
  ASSERT_TRUE(PeekMessageA(&msg, first, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kThird);
  ASSERT_TRUE(PeekMessageA(&msg, first, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kFourth);
  EXPECT_FALSE(PeekMessageA(&msg, first, 0, 0, PM_REMOVE));
  // -1 takes thread messages only.
  ASSERT_TRUE(PeekMessageA(&msg, kThreadOnly, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kSecond);
  EXPECT_FALSE(PeekMessageA(&msg, kThreadOnly, 0, 0, PM_REMOVE));
  // A range outside what waits finds nothing; the message stays for a wider look.
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER + 10, WM_USER + 20, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, kFirst, kFirst, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, second.get());

  // Paints obey the filters too.
  InvalidateRect(second, nullptr, FALSE);
  EXPECT_FALSE(PeekMessageA(&msg, first, 0, 0, PM_NOREMOVE));
  EXPECT_FALSE(PeekMessageA(&msg, kThreadOnly, 0, 0, PM_NOREMOVE));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 100, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, second, WM_PAINT, WM_PAINT, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, second.get());
}

TEST_F(MessageOrderTest, DeadFilterWindowIsAnError) {
  HWND gone;
  {
    TestWindow window;
    gone = window;
  }
  MSG msg;
  SetLastError(0);
  EXPECT_FALSE(PeekMessageA(&msg, gone, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  SetLastError(0);
  EXPECT_EQ(GetMessageA(&msg, gone, 0, 0), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageOrderTest, MessagesForDestroyedWindowsFailOrVanish) {
  HWND gone;
  {
    TestWindow window;
    gone = window;
    platform::testing::RunUntilIdle();
    PostMessageA(window, kFirst, 0, 0);
    SetTimer(window, 1, 10, nullptr);
    MSG key = KeyDown(window, 'B');
    platform::user::PostInputMessage(key);
  }
  TakeLog();
  platform::testing::AdvanceClock(50);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << msg.message;

  SetLastError(0);
  EXPECT_FALSE(PostMessageA(gone, kFirst, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  SetLastError(0);
  EXPECT_EQ(SendMessageA(gone, kFirst, 0, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  SetLastError(0);
  msg = MSG{gone, kFirst, 0, 0, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(SetTimer(gone, 1, 10, nullptr));
  EXPECT_FALSE(KillTimer(gone, 1));
  EXPECT_FALSE(platform::user::PostInputMessage(KeyDown(gone, 'C')));
  EXPECT_TRUE(TakeLog().empty());
}

TEST_F(MessageOrderTest, HandlerThatDestroysItsWindowDropsTheRestOfItsMessages) {
  TestWindow window;
  TestWindow other;
  platform::testing::RunUntilIdle();
  TakeLog();
  SetHandler(window, [](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kFirst) DestroyWindow(hwnd);
    return std::nullopt;
  });
  PostMessageA(window, kFirst, 0, 0);
  PostMessageA(window, kSecond, 0, 0);
  PostMessageA(other, kThird, 0, 0);
  platform::testing::RunUntilIdle();
  EXPECT_FALSE(IsWindow(window));
  auto log = TakeLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].message, kFirst);
  EXPECT_EQ(log[1].message, kThird);
  EXPECT_EQ(log[1].hwnd, other.get());
}

TEST_F(MessageOrderTest, NestedLoopsInsideAHandler) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  TakeLog();
  int depthSeen = 0;
  int depth = 0;
  SetHandler(window, [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kFirst) {
      // A modal loop: runs until its own end message, as a dialog would.
      ++depth;
      PostMessageA(hwnd, kSecond, 0, 0);
      PostMessageA(hwnd, kThird, 0, 0);
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
        if (msg.message == kThird) break;
      }
      --depth;
    } else if (message == kSecond) {
      depthSeen = depth;
      // Two levels deep: a filtered loop takes its own message and leaves the rest.
      PostMessageA(hwnd, kFourth, 0, 0);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, kFourth, kFourth, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return std::nullopt;
  });
  PostMessageA(window, kFirst, 0, 0);
  PostMessageA(window, WM_USER + 9, 0, 0);
  platform::testing::RunUntilIdle();
  EXPECT_EQ(depthSeen, 1);
  EXPECT_EQ(Kinds(TakeLog()), (std::vector<UINT>{kFirst, WM_USER + 9, kSecond, kFourth, kThird}));
}

TEST_F(MessageOrderTest, ModalLoopEndedByQuitPassesItOn) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  BOOL innerResult = -2;
  SetHandler(window, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kFirst) {
      MSG msg;
      while ((innerResult = GetMessageA(&msg, nullptr, 0, 0)) > 0) DispatchMessageA(&msg);
      // A modal loop that sees WM_QUIT puts it back for the loop outside.
      PostQuitMessage(static_cast<int>(msg.wParam));
    }
    return std::nullopt;
  });
  PostMessageA(window, kFirst, 0, 0);
  PostQuitMessage(9);
  MSG msg;
  int outer = 0;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    DispatchMessageA(&msg);
    ++outer;
  }
  EXPECT_EQ(innerResult, 0);
  EXPECT_EQ(outer, 1);
  EXPECT_EQ(msg.wParam, 9u);
}

TEST_F(MessageOrderTest, QueueStatusReportsWhatWaitsAndWhatIsNew) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  GetQueueStatus(QS_ALLINPUT);
  EXPECT_EQ(GetQueueStatus(QS_ALLINPUT), 0u);

  PostMessageA(window, kFirst, 0, 0);
  DWORD status = GetQueueStatus(QS_ALLINPUT);
  EXPECT_EQ(HIWORD(status), QS_POSTMESSAGE);
  EXPECT_EQ(LOWORD(status), QS_POSTMESSAGE);
  // Still waiting, but no longer new.
  status = GetQueueStatus(QS_ALLINPUT);
  EXPECT_EQ(HIWORD(status), QS_POSTMESSAGE);
  EXPECT_EQ(LOWORD(status), 0u);

  platform::user::PostInputMessage(KeyDown(window, 'A'));
  status = GetQueueStatus(QS_KEY | QS_MOUSE);  // only the kinds asked for
  EXPECT_EQ(HIWORD(status), QS_KEY);
  EXPECT_EQ(LOWORD(status), QS_KEY);

  SetTimer(window, 1, 20, nullptr);
  EXPECT_EQ(HIWORD(GetQueueStatus(QS_TIMER)), 0u);
  platform::testing::AdvanceClock(20);
  status = GetQueueStatus(QS_TIMER);
  EXPECT_EQ(HIWORD(status), QS_TIMER);
  EXPECT_EQ(LOWORD(status), QS_TIMER);
  KillTimer(window, 1);

  InvalidateRect(window, nullptr, FALSE);
  EXPECT_EQ(HIWORD(GetQueueStatus(QS_PAINT)), QS_PAINT);
  EXPECT_TRUE(GetInputState());

  platform::testing::RunUntilIdle();
  EXPECT_EQ(HIWORD(GetQueueStatus(QS_ALLINPUT)), 0u);
  EXPECT_FALSE(GetInputState());
}

TEST_F(MessageOrderTest, PostingStopsAtTheQueueLimit) {
  int posted = 0;
  while (posted < 20000 && PostThreadMessageA(GetCurrentThreadId(), kFirst, 0, 0)) ++posted;
  EXPECT_EQ(posted, 10000);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(PostThreadMessageA(GetCurrentThreadId(), kFirst, 0, 0));
}

TEST_F(MessageOrderTest, MessageTimeIsThatOfTheLastRetrievedMessage) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  const DWORD postedAt = GetTickCount();
  PostMessageA(window, kFirst, 0, 0);
  platform::testing::AdvanceClock(500);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.time, postedAt);
  EXPECT_EQ(GetMessageTime(), postedAt);
}

// ---- Translation of keys into characters ----------------------------------------------

class TranslateTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    std::lock_guard lock(platform::user::UserLock());
    saved_ = platform::user::State().keyState;
  }
  void TearDown() override {
    {
      std::lock_guard lock(platform::user::UserLock());
      platform::user::State().keyState = saved_;
    }
    MessageTest::TearDown();
  }
  void SetKeys(const std::vector<int>& down, bool capsLock) {
    std::lock_guard lock(platform::user::UserLock());
    auto& keys = platform::user::State().keyState;
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) keys[key] = 0;
    for (int key : down) keys[key] = 0x80;
    keys[VK_CAPITAL] = capsLock ? 0x01 : 0x00;
  }

  TestWindow window_;
  std::array<BYTE, 256> saved_{};
};

TEST_F(TranslateTest, KeysBecomeCharactersByShiftCapsLockAndControl) {
  platform::testing::RunUntilIdle();
  struct Case {
    std::vector<int> down;
    bool capsLock;
    UINT kind;
    int key;
    UINT message;  // 0: no character
    WPARAM character;
  };
  const Case cases[] = {
      {{}, false, WM_KEYDOWN, 'A', WM_CHAR, 'a'},
      {{VK_SHIFT}, false, WM_KEYDOWN, 'A', WM_CHAR, 'A'},
      {{}, true, WM_KEYDOWN, 'Q', WM_CHAR, 'Q'},
      {{VK_SHIFT}, true, WM_KEYDOWN, 'Q', WM_CHAR, 'q'},
      // Caps Lock leaves digits and punctuation alone.
      {{VK_SHIFT}, true, WM_KEYDOWN, '1', WM_CHAR, '!'},
      {{}, true, WM_KEYDOWN, '1', WM_CHAR, '1'},
      {{}, false, WM_KEYDOWN, VK_OEM_2, WM_CHAR, '/'},
      {{}, false, WM_KEYDOWN, VK_RETURN, WM_CHAR, 0x0D},
      {{}, false, WM_KEYDOWN, VK_BACK, WM_CHAR, 0x08},
      {{}, false, WM_KEYDOWN, VK_TAB, WM_CHAR, 0x09},
      {{}, false, WM_KEYDOWN, VK_ESCAPE, WM_CHAR, 0x1B},
      {{}, false, WM_KEYDOWN, VK_SPACE, WM_CHAR, ' '},
      {{}, false, WM_KEYDOWN, VK_F1, 0, 0},
      {{}, false, WM_KEYDOWN, VK_LEFT, 0, 0},
      {{VK_CONTROL}, false, WM_KEYDOWN, 'C', WM_CHAR, 0x03},
      {{VK_CONTROL}, true, WM_KEYDOWN, 'Z', WM_CHAR, 0x1A},
      {{VK_CONTROL}, false, WM_KEYDOWN, '5', 0, 0},
      // AltGr (Control with Alt) types nothing on this layout.
      {{VK_CONTROL, VK_MENU}, false, WM_KEYDOWN, 'A', 0, 0},
      {{VK_MENU}, false, WM_SYSKEYDOWN, 'F', WM_SYSCHAR, 'f'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "key " << c.key << " with " << c.down.size() << " modifiers");
    SetKeys(c.down, c.capsLock);
    MSG down{window_, c.kind, static_cast<WPARAM>(c.key), 0x001E0001, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&down));
    MSG msg{};
    const bool got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(got ? msg.message : 0u, c.message);
    EXPECT_EQ(got ? msg.wParam : 0u, c.character);
    if (got) {
      EXPECT_EQ(msg.hwnd, window_.get());
      EXPECT_EQ(msg.lParam, 0x001E0001);
    }
  }
}

TEST_F(TranslateTest, CharacterIsReadBeforeMessagesPostedEarlierAndOthersAreLeftAlone) {
  platform::testing::RunUntilIdle();
  SetKeys({}, false);
  PostMessageA(window_, kFirst, 0, 0);
  MSG down{window_, WM_KEYDOWN, 'K', 1, 0, {0, 0}};
  EXPECT_TRUE(TranslateMessage(&down));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_CHAR);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kFirst);

  MSG other{window_, WM_CHAR, 0xB0, 1, 0, {0, 0}};
  EXPECT_FALSE(TranslateMessage(&other));
  MSG up{window_, WM_KEYUP, 'K', 1, 0, {0, 0}};
  EXPECT_TRUE(TranslateMessage(&up));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(TranslateMessage(nullptr));
}

// A presenter whose input method hands over typed text itself, like the SDL one.
class TypedTextPresenter : public platform::user::Presenter {
 public:
  DWORD UiThread() const override { return 0; }
  void PumpNativeEvents() override {}
  void WaitForEvents(DWORD) override {}
  void Wake() override {}
  void TopLevelChanged(HWND) override {}
  void SetCursorShape(HCURSOR) override {}
  bool SetClipboardText(const std::string&) override { return false; }
  std::string GetClipboardText() override { return {}; }
  bool DeliversTypedText() const override { return true; }
};

TEST_F(TranslateTest, TypedTextPresenterGetsOnlyControlCharactersFromKeys) {
  platform::user::InstallPresenter(std::make_unique<TypedTextPresenter>());
  platform::testing::RunUntilIdle();
  struct Case {
    std::vector<int> down;
    UINT kind;
    int key;
    UINT message;
  };
  const Case cases[] = {
      {{}, WM_KEYDOWN, 'A', 0},  // arrives as text instead
      {{VK_SHIFT}, WM_KEYDOWN, '1', 0},
      {{}, WM_KEYDOWN, VK_SPACE, 0},
      {{}, WM_KEYDOWN, VK_RETURN, WM_CHAR},
      {{}, WM_KEYDOWN, VK_BACK, WM_CHAR},
      {{}, WM_KEYDOWN, VK_ESCAPE, WM_CHAR},
      {{VK_CONTROL}, WM_KEYDOWN, 'V', WM_CHAR},
      {{VK_MENU}, WM_SYSKEYDOWN, 'F', WM_SYSCHAR},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key);
    SetKeys(c.down, false);
    MSG down{window_, c.kind, static_cast<WPARAM>(c.key), 1, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&down));
    MSG msg{};
    const bool got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(got ? msg.message : 0u, c.message);
  }
  platform::user::InstallPresenter(nullptr);
}

// Any thread can post a WM_TIMER with any lParam; only a real timer procedure is called.
int g_forgedTimerCalls = 0;
void CALLBACK ForgedTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  ++g_forgedTimerCalls;
}

TEST_F(MessageOrderTest, DispatchCallsOnlyRegisteredTimerProcedures) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  TakeLog();
  g_forgedTimerCalls = 0;
  PostMessageA(window, WM_TIMER, 4, reinterpret_cast<LPARAM>(&ForgedTimerProc));
  platform::testing::RunUntilIdle();
  EXPECT_EQ(g_forgedTimerCalls, 0);
  // Thread messages have no window to go to.
  MSG thread{nullptr, kFirst, 0, 0, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&thread), 0);
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
}

}  // namespace
