// Test-side conversions between UTF-8 (how tests are written) and GBK (what the program
// speaks), done with iconv directly so they do not depend on the code under test.
#pragma once

#include <iconv.h>

#include <stdexcept>
#include <string>

namespace testing_gbk {

inline std::string Convert(const std::string& in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string out(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) throw std::runtime_error("iconv");
  out.resize(out.size() - dstLeft);
  return out;
}

inline std::string Gbk(const std::string& utf8) {
  return Convert(utf8, "GBK", "UTF-8");
}
inline std::string Utf8(const std::string& gbk) {
  return Convert(gbk, "UTF-8", "GBK");
}

}  // namespace testing_gbk
