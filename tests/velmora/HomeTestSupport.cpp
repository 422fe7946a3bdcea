#include "tests/velmora/HomeTestSupport.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "app/program/WindowIds.h"
#include "platform/ThemeApi.h"

namespace velmoratest {

void HomeTest::SetUp() {
  audio_ = std::make_unique<platform::testing::TestAudio>();
  StartVelmora();
}

void HomeTest::TearDown() {
  // The skin's painting lives in the library, which the program's end unloads.
  VelmoraInstallTheme(nullptr);
  EndVelmora();
  audio_.reset();
}

void HomeTest::StartHome(HomeDriver& driver) {
  driver.Begin();
  OpenWindow(app::kHomeWindow);
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
