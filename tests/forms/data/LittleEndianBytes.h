// Builds byte sequences word by word in the test itself, so that the layouts under test are
// checked against bytes written without the code that writes them in the program.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace formtest {

struct Le {
  std::vector<uint8_t> b;

  Le& u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Le& words(std::initializer_list<uint32_t> vs) {
    for (uint32_t v : vs) u32(v);
    return *this;
  }
  Le& zeros(size_t n) {
    b.insert(b.end(), n, 0);
    return *this;
  }
  Le& cstr(std::string_view s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    return *this;
  }
  Le& raw(const std::vector<uint8_t>& bytes) {
    b.insert(b.end(), bytes.begin(), bytes.end());
    return *this;
  }
  // A 32-bit byte count, then the bytes.
  Le& counted(const std::vector<uint8_t>& bytes) {
    u32(static_cast<uint32_t>(bytes.size()));
    return raw(bytes);
  }
  Le& counted(std::string_view s) { return counted(std::vector<uint8_t>(s.begin(), s.end())); }
};

}  // namespace formtest
