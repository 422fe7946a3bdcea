#include "tests/velmora/HomeTestSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "app/program/Globals.h"
#include "app/program/VelmoraProgram.h"
#include "app/program/WindowIds.h"
#include "platform/ThemeApi.h"
#include "runtime/RuntimeState.h"

namespace velmoratest {

void HomeTest::SetUp() {
  audio_ = std::make_unique<platform::testing::TestAudio>();
  StartVelmora();
}

void HomeTest::TearDown() {
  // Every test starts in the built-in look.
  VelmoraInstallTheme(nullptr);
  EndVelmora();
  audio_.reset();
}

void HomeTest::StartHome(HomeDriver& driver) {
  driver.Begin();
  OpenWindow(app::kHomeWindow);
}

void HomeTest::StartWithStillSplash() {
  EndVelmora();
  static std::vector<uint8_t> data;
  static rt::ImageHeader header;
  header = app::ProgramHeader();
  const auto* form = static_cast<const uint8_t*>(header.formData);
  data.assign(form, form + header.formDataSize);
  // The splash's picture box stores its switches as words, then the picture as a length
  // and the GIF file's bytes; the word before is the animation switch.
  std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/app/assets/splash.gif", std::ios::binary);
  const std::vector<uint8_t> gif{std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>()};
  ASSERT_GT(gif.size(), 16u);
  const auto at = std::search(data.begin(), data.end(), gif.begin(), gif.begin() + 16);
  ASSERT_NE(at, data.end());
  ASSERT_GE(at - data.begin(), 8);
  auto word = [&](ptrdiff_t offset) {
    uint32_t w = 0;
    std::memcpy(&w, &*(at + offset), 4);
    return w;
  };
  ASSERT_EQ(word(-4), gif.size()) << "the picture's length";
  ASSERT_EQ(word(-8), 1u) << "the animation switch";
  std::fill(at - 8, at - 4, uint8_t{0});
  header.formData = data.data();
  app::AssembleProgram();
  rt::InitRuntime(&header);
  app::CreateGlobals();
  rt::SetEndRoutine(&app::FreeGlobals);
}

WavFacts ReadWavFacts(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  auto u32 = [&](size_t at) {
    return at + 4 <= b.size() ? uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 |
                                    uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24
                              : 0u;
  };
  WavFacts facts;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id(b.begin() + static_cast<ptrdiff_t>(at),
                         b.begin() + static_cast<ptrdiff_t>(at + 4));
    const uint32_t size = u32(at + 4);
    if (id == "fmt ") facts.bytesPerSecond = u32(at + 8 + 8);
    if (id == "data") facts.dataBytes = size;
    at += 8 + size + (size & 1);
  }
  return facts;
}

COLORREF SkinFaceColour(int number) {
  std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/tools/skin_maker/skins.txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream row(line);
    int n = 0;
    std::string name, face;
    if (line.empty() || line[0] == '#' || !(row >> n >> name >> face) || n != number) continue;
    const auto rgb = static_cast<uint32_t>(std::stoul(face.substr(1), nullptr, 16));
    return RGB(static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb));
  }
  return CLR_INVALID;
}

std::string ExecutableFolder() {
  char path[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string exe(path, n > 0 ? static_cast<size_t>(n) : 0);
  return exe.substr(0, exe.find_last_of('/'));
}

}  // namespace velmoratest
