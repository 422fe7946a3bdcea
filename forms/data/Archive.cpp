#include "forms/data/Archive.h"

namespace forms {

bool ArchiveReader::ReadBytes(size_t count, std::span<const uint8_t>& out) {
  if (failed_ || count > size_ - pos_) return Fail();
  out = {data_ + pos_, count};
  pos_ += count;
  return true;
}

bool ArchiveReader::Skip(size_t count) {
  std::span<const uint8_t> ignored;
  return ReadBytes(count, ignored);
}

bool ArchiveReader::ReadU32(uint32_t& out) {
  std::span<const uint8_t> word;
  if (!ReadBytes(4, word)) return false;
  out = LoadU32(word.data());
  return true;
}

bool ArchiveReader::ReadI32(int32_t& out) {
  uint32_t v;
  if (!ReadU32(v)) return false;
  out = static_cast<int32_t>(v);
  return true;
}

bool ArchiveReader::ReadBufferView(std::span<const uint8_t>& out) {
  uint32_t count;
  return ReadU32(count) && ReadBytes(count, out);
}

bool ArchiveReader::ReadBuffer(Bytes& out) {
  std::span<const uint8_t> view;
  if (!ReadBufferView(view)) return false;
  out.assign(view.begin(), view.end());
  return true;
}

bool ArchiveReader::ReadText(std::string& out) {
  std::span<const uint8_t> view;
  if (!ReadBufferView(view)) return false;
  out.assign(reinterpret_cast<const char*>(view.data()), view.size());
  return true;
}

bool ArchiveReader::ReadCString(std::string& out) {
  if (failed_ || pos_ >= size_) return Fail();
  const void* end = std::memchr(data_ + pos_, 0, size_ - pos_);
  if (end == nullptr) return Fail();
  size_t length = static_cast<const uint8_t*>(end) - (data_ + pos_);
  out.assign(reinterpret_cast<const char*>(data_ + pos_), length);
  pos_ += length + 1;
  return true;
}

void ArchiveWriter::WriteU32(uint32_t v) {
  size_t at = bytes_.size();
  bytes_.resize(at + 4);
  StoreU32(bytes_.data() + at, v);
}

void ArchiveWriter::WriteBytes(std::span<const uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ArchiveWriter::WriteBuffer(std::span<const uint8_t> bytes) {
  WriteU32(static_cast<uint32_t>(bytes.size()));
  WriteBytes(bytes);
}

void ArchiveWriter::WriteText(std::string_view text) {
  WriteBuffer(AsBytes(text));
}

void ArchiveWriter::WriteCString(std::string_view text) {
  WriteBytes(AsBytes(text.substr(0, text.find('\0'))));
  bytes_.push_back(0);
}

}  // namespace forms
