// The home area: the start sequence on the virtual clock, the skinning library beside the
// program, the six areas and where they lead, and the program's end.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include "app/home/HomeUnits.h"
#include "app/home/SkinAttach.h"
#include "app/home/WebLinks.h"
#include "forms/units/html/PageAddress.h"
#include "platform/ThemeApi.h"
#include "platform/kernel32.h"
#include "platform/testing/ShellRecord.h"
#include "platform/testing/TestAudio.h"
#include "tests/common/Gbk.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {
namespace {

namespace fs = std::filesystem;
namespace home = app::home;
namespace input = platform::testing;

// What the driver saw, in clock milliseconds after Begin (-1: never).
struct StartRecord {
  int64_t splashShownAt = -1, nameShownAt = -1, splashGoneAt = -1, webPageShownAt = -1;
  // What the sound device had played when the splash went, and how many were opened.
  size_t musicBytesAtSplashEnd = 0, devicesAtSplashEnd = 0;
  COLORREF faceWhileWebPage = 0;  // before any skin
  std::string webPageAddress;
  std::vector<uint32_t> opened;  // the other windows, in order
};

// Plays the user while the program waits in its windows: it looks each time the loop runs
// out of work (or from a timer, where the runtime clears idle routines) and answers.
class HomeDriver {
 public:
  explicit HomeDriver(input::TestAudio* audio) : audio_(audio) {}
  ~HomeDriver() {
    if (timerDriver == this) timerDriver = nullptr;
    if (IsWindow(anchor_)) DestroyWindow(anchor_);
  }

  void Begin(int timerMs = 0) {
    start_ = input::NowMs();
    // A window of the test's own, which the program's end does not wait for.
    anchor_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (timerMs > 0) {
      timerDriver = this;
      SetTimer(anchor_, 1, static_cast<UINT>(timerMs), [](HWND, UINT, UINT_PTR, DWORD) {
        if (timerDriver != nullptr) timerDriver->Step();
      });
    } else {
      rt::AddIdleRoutine(
          anchor_, [](intptr_t self) { reinterpret_cast<HomeDriver*>(self)->Step(); },
          reinterpret_cast<intptr_t>(this));
    }
  }

  int64_t clickSplashAt = -1;  // at first sight (0) or once the clock is this far
  size_t musicDataBytes = 0;   // the clock waits at 1.5 s until the device holds all of it
  std::function<void(uint32_t window)> onWindow;  // before the driver closes the window
  bool closeHomeAfterStart = false;
  StartRecord record;

 private:
  void Step() {
    const auto now = static_cast<int64_t>(input::NowMs() - start_);
    StartRecord& r = record;
    if (Handle(app::kSplashWindow) != nullptr) {
      if (r.splashShownAt < 0) r.splashShownAt = now;
      if (r.nameShownAt < 0 && IsWindowVisible(Handle(app::kSplashWindow, home::kSplashNameLabel)))
        r.nameShownAt = now;
      if (audio_ != nullptr && !musicWaited_ && now >= 1500) {
        // The player queues the sound from a thread of its own; the clock must not move on
        // before it has, or the device would miss the time that passes meanwhile.
        musicWaited_ = true;
        audio_->WaitUntil([bytes = musicDataBytes](const std::vector<input::PlayedDevice>& d) {
          return !d.empty() && d[0].queuedBytes + d[0].played.size() >= bytes;
        });
      }
      if (!splashClicked_ && clickSplashAt >= 0 && now >= clickSplashAt) {
        splashClicked_ = true;
        input::ClickInWindow(Handle(app::kSplashWindow, home::kSplashPicture), {200, 100});
      }
    } else if (r.splashShownAt >= 0 && r.splashGoneAt < 0) {
      r.splashGoneAt = now;
      const auto devices = audio_ != nullptr ? audio_->Devices() : decltype(audio_->Devices()){};
      r.musicBytesAtSplashEnd = devices.empty() ? 0 : devices[0].played.size();
      r.devicesAtSplashEnd = devices.size();
    }
    if (HWND web = Handle(app::kWebPageWindow); web != nullptr && r.webPageShownAt < 0) {
      r.webPageShownAt = now;
      r.faceWhileWebPage = GetSysColor(COLOR_BTNFACE);
      r.webPageAddress =
          app::GetText(app::kWebPageWindow, home::kWebPageViewer, home::kViewerAddress);
      PostMessageA(web, WM_CLOSE, 0, 0);
    }
    for (uint32_t window : {app::kAboutWindow, app::kSubtitleWindow, app::kFilterWindow,
                            app::kWatermarkWindow, app::kBatchWindow}) {
      if (Handle(window) == nullptr || (!r.opened.empty() && r.opened.back() == window)) continue;
      r.opened.push_back(window);
      if (onWindow) onWindow(window);
      app::CloseWindow(window);
    }
    HWND homeWindow = Handle(app::kHomeWindow);
    if (closeHomeAfterStart && homeWindow != nullptr && r.webPageShownAt >= 0 &&
        Handle(app::kWebPageWindow) == nullptr && IsWindowEnabled(homeWindow)) {
      closeHomeAfterStart = false;
      PostMessageA(homeWindow, WM_CLOSE, 0, 0);
    }
  }

  static inline HomeDriver* timerDriver = nullptr;
  input::TestAudio* audio_;
  uint64_t start_ = 0;
  HWND anchor_ = nullptr;
  bool musicWaited_ = false, splashClicked_ = false;
};

// The face colour of skin `number` as the skin maker's table gives it.
COLORREF SkinFaceColour(int number) {
  std::ifstream in(VELMORA_SOURCE_DIR "/tools/skin_maker/skins.txt");
  std::string line, name, face;
  for (int n = 0; std::getline(in, line);) {
    std::istringstream row(line);
    if (line[0] == '#' || !(row >> n >> name >> face) || n != number) continue;
    const auto rgb = static_cast<uint32_t>(std::stoul(face.substr(1), nullptr, 16));
    return RGB(rgb >> 16, rgb >> 8 & 255, rgb & 255);
  }
  return CLR_INVALID;
}

// The test executable's folder, which is the program's folder in tests.
std::string ExecutableFolder() {
  return fs::read_symlink("/proc/self/exe").parent_path().string();
}

// The program as if installed in `folder`.
void RunFrom(const std::string& folder) {
  rt::Runtime().runDirectory = folder;
  rt::Runtime().programDirectory = folder + "/";
}

class HomeTest : public VelmoraTest {
 protected:
  void SetUp() override {
    audio_ = std::make_unique<input::TestAudio>();
    VelmoraTest::SetUp();
  }
  void TearDown() override {
    VelmoraInstallTheme(nullptr);  // every test starts in the built-in look
    VelmoraTest::TearDown();
    audio_.reset();
  }
  static void StartHome(HomeDriver& driver) {
    driver.Begin();
    OpenWindow(app::kHomeWindow);
  }
  // The program started again from a copy of its image whose splash does not animate: its
  // player sleeps frame by frame, and in virtual time each sleep moves the clock.
  static void StartWithStillSplash() {
    EndVelmora();
    static std::vector<uint8_t> data;
    static rt::ImageHeader header;
    header = app::ProgramHeader();
    const auto* form = static_cast<const uint8_t*>(header.formData);
    data.assign(form, form + header.formDataSize);
    // The picture is stored as the animation switch, the length and the GIF file's bytes.
    const std::vector<uint8_t> gif = ReadFile(VELMORA_SOURCE_DIR "/app/assets/splash.gif");
    ASSERT_GT(gif.size(), 16u);
    const auto at = std::search(data.begin(), data.end(), gif.begin(), gif.begin() + 16);
    ASSERT_GE(at - data.begin(), 8);
    uint32_t words[2];
    std::memcpy(words, &*(at - 8), 8);
    ASSERT_EQ(words[0], 1u) << "the animation switch";
    ASSERT_EQ(words[1], gif.size()) << "the picture's length";
    std::fill(at - 8, at - 4, uint8_t{0});
    header.formData = data.data();
    app::AssembleProgram();
    rt::InitRuntime(&header);
    app::CreateGlobals();
    rt::SetEndRoutine(&app::FreeGlobals);
  }

  std::unique_ptr<input::TestAudio> audio_;
};

struct SplashCase {
  const char* what;
  int64_t clickAt;  // -1: no click
  int64_t nameShownAt, splashGoneAt;
  int64_t musicMs;  // how much of the music had played when the splash went
};

class HomeStartTest : public HomeTest, public ::testing::WithParamInterface<SplashCase> {};

TEST_P(HomeStartTest, SplashThenMakersPageThenSkinSix) {
  const SplashCase& c = GetParam();
  // The WAV's byte rate and data size, read with no help from the program.
  const std::vector<uint8_t> wav = ReadFile(VELMORA_SOURCE_DIR "/app/assets/splash.wav");
  ASSERT_GT(wav.size(), 44u);
  ASSERT_EQ(std::memcmp(&wav[36], "data", 4), 0);
  uint32_t bytesPerSecond = 0, dataBytes = 0;
  std::memcpy(&bytesPerSecond, &wav[28], 4);
  std::memcpy(&dataBytes, &wav[40], 4);
  const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);

  StartWithStillSplash();
  HomeDriver driver(audio_.get());
  driver.clickSplashAt = c.clickAt;
  driver.musicDataBytes = dataBytes;
  StartHome(driver);
  const StartRecord& r = driver.record;
  EXPECT_EQ(r.splashShownAt, 0);
  EXPECT_EQ(r.nameShownAt, c.nameShownAt);
  EXPECT_EQ(r.splashGoneAt, c.splashGoneAt);
  // The clock steps from timer to timer, so the device played exactly the time between the
  // music's start and the splash's end.
  EXPECT_EQ(r.musicBytesAtSplashEnd, static_cast<size_t>(c.musicMs * bytesPerSecond / 1000));
  EXPECT_EQ(r.devicesAtSplashEnd, c.musicMs > 0 ? 1u : 0u) << "the music plays once, at 1.5 s";
  EXPECT_EQ(r.webPageShownAt, r.splashGoneAt) << "the maker's page follows the splash at once";
  EXPECT_EQ(r.webPageAddress, "file://" + ExecutableFolder() + "/maker/index.html");
  EXPECT_EQ(r.faceWhileWebPage, plainFace) << "the skin came before the maker's page closed";
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), SkinFaceColour(6));
  EXPECT_NE(SkinFaceColour(6), plainFace);
  EXPECT_TRUE(r.opened.empty());
  EXPECT_TRUE(IsWindowVisible(Handle(app::kHomeWindow)));
}

INSTANTIATE_TEST_SUITE_P(Splash, HomeStartTest,
                         ::testing::Values(SplashCase{"ByItsTimers", -1, 2000, 3000, 1500},
                                           SplashCase{"ClickedAtOnce", 0, -1, 0, 0},
                                           SplashCase{"ClickedOnceTheNameShows", 2000, 2000, 2000,
                                                      500}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(HomeTest, EachAreaClickedOpensItsWindowOrTheVideoPage) {
  HomeDriver driver(nullptr);
  driver.clickSplashAt = 0;
  std::vector<std::string> aboutLinks;
  driver.onWindow = [&](uint32_t window) {
    if (window != app::kAboutWindow) return;
    ClickUnit(app::kAboutWindow, home::kAboutPicture);
    ClickUnit(app::kAboutWindow, home::kAboutLinkLabel);
    for (const auto& call : input::TakeShellExecuteLog())
      aboutLinks.push_back(call.operationUtf8 + " " + call.fileUtf8);
  };
  StartHome(driver);
  input::TakeShellExecuteLog();
  const std::pair<uint32_t, uint32_t> areas[] = {// the area and the window it opens
                                                 {home::kCaptionArea, app::kSubtitleWindow},
                                                 {home::kWatermarkArea, app::kWatermarkWindow},
                                                 {home::kBatchArea, app::kBatchWindow},
                                                 {home::kFilterArea, app::kFilterWindow},
                                                 {home::kVideoArea, 0},
                                                 {home::kAboutArea, app::kAboutWindow}};
  for (auto [area, opens] : areas) {
    SCOPED_TRACE(area);
    const size_t before = driver.record.opened.size();
    ClickUnit(app::kHomeWindow, area);
    const auto shell = input::TakeShellExecuteLog();
    EXPECT_EQ(driver.record.opened.size(), before + (opens != 0));
    if (opens != 0) {
      EXPECT_EQ(driver.record.opened.back(), opens);
      EXPECT_TRUE(shell.empty());
    } else {
      ASSERT_EQ(shell.size(), 1u);
      EXPECT_EQ(shell[0].operationUtf8 + " " + shell[0].fileUtf8,
                std::string("open ") + home::kVideoPageAddress);
    }
  }
  // The about window's picture and label both open the maker's page shipped with the program.
  const std::string makers = "open file://" + ExecutableFolder() + "/maker/index.html";
  EXPECT_EQ(aboutLinks, std::vector<std::string>(2, makers));
}

// The file address made of a path leads the page viewer back to that file.
TEST(HomeLinksTest, FileAddressesLeadTheViewerBackToTheFile) {
  const std::pair<const char*, const char*> cases[] = {
      // the path, the file read
      {"/opt/velmora/maker/index.html", "/opt/velmora/maker/index.html"},
      {"/opt/velmora\\maker\\index.html", "/opt/velmora/maker/index.html"},
      {"/opt/a b/Velmora #2/maker/index.html", "/opt/a b/Velmora #2/maker/index.html"},
      {"/data/100%/what?/maker/index.html", "/data/100%/what?/maker/index.html"},
      {"/opt/用户/照片 工坊/maker/index.html", "/opt/用户/照片 工坊/maker/index.html"}};
  for (auto [path, file] : cases) {
    const std::string address = home::FileAddressOf(testing_gbk::Gbk(path));
    EXPECT_EQ(forms::html::LocalPathOf(testing_gbk::Utf8(address)), file) << address;
  }
}

bool Hidden(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

// Written and hidden on the first start, left exactly as found on later ones; a damaged
// library or something else under its name leave the windows in their own look.
TEST_F(HomeTest, StartFindsOrPutsTheSkinLibraryAndAttachesSkinSixOnlyWhenItLoads) {
  const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);
  // The library as the build made it (kept out of the program folder, where only a start
  // writes it, and where other tests' starts may be writing it right now).
  const std::vector<uint8_t> built = ReadFile(VELMORA_SKIN_LIBRARY);
  ASSERT_GT(built.size(), 64u);
  enum class Found { Nothing, LibraryShown, LibraryHidden, Damaged, Folder };
  const struct Case {
    const char* what;
    Found found;
    bool attached;
  } cases[] = {{"first start writes and hides it", Found::Nothing, true},
               {"a later start keeps one made visible", Found::LibraryShown, true},
               {"a later start loads a hidden one", Found::LibraryHidden, true},
               {"a damaged one leaves the look alone", Found::Damaged, false},
               {"a folder under its name", Found::Folder, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = Folder() + "/" + std::to_string(&c - cases);
    const std::string path = folder + "/" + home::kSkinLibraryName;
    fs::create_directory(folder);
    RunFrom(folder);
    if (c.found == Found::LibraryShown || c.found == Found::LibraryHidden) {
      // A first start wrote it; the user may have made it visible since.
      ASSERT_TRUE(home::AttachSkin(home::kDefaultSkin));
      if (c.found == Found::LibraryShown) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      VelmoraInstallTheme(nullptr);
      EndVelmora();
      StartVelmora();
      RunFrom(folder);
    }
    if (c.found == Found::Damaged) WriteFile(path, {built.begin(), built.begin() + 64});
    if (c.found == Found::Folder) fs::create_directory(path);
    // Set back in time, so that a rewrite would show.
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    std::error_code none;
    fs::last_write_time(path, old, none);
    auto bytesThere = [&] {
      return fs::is_regular_file(path) ? ReadFile(path) : std::vector<uint8_t>{};
    };
    const std::vector<uint8_t> bytes = c.found == Found::Nothing ? built : bytesThere();
    const bool hidden = c.found == Found::Nothing || Hidden(path);

    EXPECT_EQ(home::AttachSkin(home::kDefaultSkin), c.attached);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), c.attached ? SkinFaceColour(6) : plainFace);
    EXPECT_EQ(bytesThere(), bytes);
    EXPECT_EQ(Hidden(path), hidden) << "attributes changed";
    EXPECT_EQ(fs::last_write_time(path, none) == old, c.found != Found::Nothing) << "rewritten";
    VelmoraInstallTheme(nullptr);
  }
}

// The skin paints from inside its library: a window painted after the program's end must
// not reach into an unloaded library.
TEST_F(HomeTest, SkinStillPaintsAfterTheProgramsEnd) {
  ASSERT_TRUE(home::AttachSkin(home::kDefaultSkin));
  EndVelmora();
  HWND window = CreateWindowExA(0, "BUTTON", "after the end", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                10, 200, 80, nullptr, nullptr, nullptr, nullptr);
  UpdateWindow(window);
  EXPECT_FALSE(input::CaptureWindow(window).empty());
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), SkinFaceColour(6));
  DestroyWindow(window);
  StartVelmora();
}

// The whole program in a process of its own, as main runs it; the child reports how often
// the end routine ran.
TEST(HomeEndTest, ClosingTheHomeWindowEndsWithCodeZeroAndTheEndRoutineOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("VELMORA_HEADLESS", "1", 1);
        input::TestAudio audio;
        HomeDriver driver(&audio);
        driver.clickSplashAt = 0;
        driver.closeHomeAfterStart = true;
        driver.Begin(50);
        const int code = app::RunVelmora();
        std::fprintf(stderr, "end routine ran %d time(s)\n", app::GlobalsFreedCount());
        std::fflush(stderr);
        std::_Exit(code);
      },
      ::testing::ExitedWithCode(0), "end routine ran 1 time\\(s\\)");
}

// A program folder that takes no files starts unskinned and runs on; in a process of its
// own, without root's licence to write anywhere.
TEST(HomeReadOnlyTest, ReadOnlyProgramFolderStartsUnskinnedAndRuns) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string folder = testing_temp::MakeFolder("velmora-readonly");
        chmod(folder.c_str(), 0555);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::_Exit(2);
        input::TestAudio audio;
        StartVelmora();
        RunFrom(folder);
        const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);
        HomeDriver driver(&audio);
        driver.clickSplashAt = 0;
        driver.Begin();
        OpenWindow(app::kHomeWindow);
        const bool unskinned = GetSysColor(COLOR_BTNFACE) == plainFace;
        const bool noFile = !fs::exists(folder + "/" + home::kSkinLibraryName);
        ClickUnit(app::kHomeWindow, home::kAboutArea);
        const bool aboutOpened = driver.record.opened == std::vector<uint32_t>{app::kAboutWindow};
        std::fprintf(stderr, "unskinned %d, no file %d, about opened %d\n", unskinned, noFile,
                     aboutOpened);
        std::fflush(stderr);
        std::_Exit(unskinned && noFile && aboutOpened ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "unskinned 1, no file 1, about opened 1");
}

}  // namespace
}  // namespace velmoratest
