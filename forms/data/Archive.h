// The in-memory archive that form data is read from and written to: little-endian 32-bit
// words, archive texts and buffers (a 32-bit byte count, then the bytes), and the
// zero-terminated texts used inside unit records. The reader checks every read against the
// end of its bytes and fails instead of reading past it; once a read has failed, every later
// read fails too, so a caller may check once after a run of reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

using Bytes = std::vector<uint8_t>;

inline uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline int32_t LoadI32(const uint8_t* p) {
  return static_cast<int32_t>(LoadU32(p));
}
inline void StoreU32(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}

class ArchiveReader {
 public:
  ArchiveReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ArchiveReader(std::span<const uint8_t> bytes)
      : ArchiveReader(bytes.data(), bytes.size()) {}

  bool ReadU32(uint32_t& out);
  bool ReadI32(int32_t& out);
  // The bytes of an archive buffer or text, as a view into the archive.
  bool ReadBufferView(std::span<const uint8_t>& out);
  bool ReadBuffer(Bytes& out);
  bool ReadText(std::string& out);
  // A zero-terminated text; the terminator is consumed but not returned.
  bool ReadCString(std::string& out);
  bool ReadBytes(size_t count, std::span<const uint8_t>& out);
  bool Skip(size_t count);

  size_t Position() const { return pos_; }
  size_t Remaining() const { return failed_ ? 0 : size_ - pos_; }
  bool Failed() const { return failed_; }
  const uint8_t* Current() const { return data_ + pos_; }

 private:
  bool Fail() {
    failed_ = true;
    return false;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool failed_ = false;
};

class ArchiveWriter {
 public:
  void WriteU32(uint32_t v);
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteBuffer(std::span<const uint8_t> bytes);
  void WriteText(std::string_view text);
  // Writes the text up to its first zero byte, then the terminator: a record text cannot
  // carry a zero inside it.
  void WriteCString(std::string_view text);
  void WriteBytes(std::span<const uint8_t> bytes);
  void WriteZeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }

  size_t Size() const { return bytes_.size(); }
  // Overwrites a word already written (a length known only afterwards).
  void PatchU32(size_t position, uint32_t v) { StoreU32(bytes_.data() + position, v); }
  const Bytes& Data() const { return bytes_; }
  Bytes Take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

inline std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace forms
