// Sound data made in the test, and the conformance files.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sndtest {

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
// Byte by byte: g++ 12 warns falsely about inserting ranges into a vector it cannot size.
inline void PutId(std::vector<uint8_t>& out, const char* id) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
}
inline void PutFill(std::vector<uint8_t>& out, size_t n, uint8_t value) {
  for (size_t i = 0; i < n; ++i) out.push_back(value);
}

// A PCM WAV file whose data chunk holds `samples`.
inline std::vector<uint8_t> MakeWav(const std::vector<uint8_t>& samples, uint32_t rate = 8000,
                                    uint16_t channels = 1, uint16_t bits = 8) {
  std::vector<uint8_t> out;
  PutId(out, "RIFF");
  PutU32(out, static_cast<uint32_t>(4 + 8 + 16 + 8 + samples.size()));
  PutId(out, "WAVE");
  PutId(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);
  PutU16(out, channels);
  PutU32(out, rate);
  const uint16_t block = static_cast<uint16_t>(channels * bits / 8);
  PutU32(out, rate * block);
  PutU16(out, block);
  PutU16(out, bits);
  PutId(out, "data");
  PutU32(out, static_cast<uint32_t>(samples.size()));
  for (uint8_t b : samples) out.push_back(b);
  return out;
}

// Bytes that differ from one place to the next, so that a misplaced copy shows.
inline std::vector<uint8_t> Ramp(size_t n) {
  std::vector<uint8_t> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return out;
}

inline std::string TestdataDir() {
  return VELMORA_TESTDATA_DIR;
}

inline bool ReadFile(const std::string& path, std::vector<uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace sndtest
