// Searching, replacing and splitting in GBK texts. Matches count only where a character
// starts. Candidates come from memmem (or memchr when case is ignored) and are checked
// against the character grid afterwards, which keeps a search over a large text close to
// the speed of a plain byte search.
#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "commands/support/CommandArgs.h"
#include "commands/support/LibraryServices.h"
#include "commands/text/GbkScan.h"
#include "commands/text/TextCommands.h"

namespace cmd {

namespace {

const uint8_t* Bytes(std::string_view s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

// The 0-based scan start from an optional 1-based start; widened so INT32_MIN is harmless.
size_t ScanStart(const CommandArgs& in, int32_t index) {
  if (!in.Given(index)) return 0;
  int64_t s = int64_t{in.Int(index, 1)} - 1;
  return s < 0 ? 0 : static_cast<size_t>(s);
}

int32_t Position(size_t offset) {
  return static_cast<int32_t>(std::min<size_t>(offset + 1, INT32_MAX));
}

// ReplaceText assembles its result in a buffer kept per thread between calls: a fresh
// buffer of a megabyte or more costs more in page faults than the whole search. A buffer
// that grew beyond kKeptBufferBytes is given back after use.
class AssemblyBuffer {
 public:
  AssemblyBuffer() : buffer_(Storage()) { buffer_.clear(); }
  ~AssemblyBuffer() {
    if (buffer_.capacity() > kKeptBufferBytes) {
      std::string().swap(buffer_);
    } else {
      buffer_.clear();
    }
  }
  AssemblyBuffer(const AssemblyBuffer&) = delete;
  AssemblyBuffer& operator=(const AssemblyBuffer&) = delete;

  std::string& get() { return buffer_; }

 private:
  static constexpr size_t kKeptBufferBytes = size_t{8} << 20;
  static std::string& Storage() {
    thread_local std::string storage;
    return storage;
  }
  std::string& buffer_;
};

// Matches may be limited to a count; every negative count means all of them.
class MatchBudget {
 public:
  explicit MatchBudget(int32_t n) : left_(n) {}
  // Called after each replacement: false once the budget is spent.
  bool Consume() {
    if (left_ < 0) return true;
    return --left_ > 0;
  }

 private:
  int32_t left_;
};

// Copies the text from p on with matches replaced, taking whole runs between matches at
// once. Finder is gbk::ExactFinder or gbk::FoldingFinder.
template <typename Finder>
void ReplaceMatches(Finder& finder, std::string_view text, std::string_view sought,
                    std::string_view replacement, size_t p, MatchBudget budget, std::string* out) {
  const uint8_t* t = Bytes(text);
  const size_t length = text.size();
  while (true) {
    size_t match = length - p >= sought.size() ? finder.Next(p) : gbk::kNotFound;
    if (match == gbk::kNotFound) {
      // The character-by-character scan would have gone on to the end. With a one-byte
      // needle it reaches a lead byte that ends the text, and that byte is dropped.
      if (sought.size() == 1 && p < length && gbk::IsLeadByte(t[length - 1]) &&
          gbk::CharacterGrid(t, p).IsStart(length - 1)) {
        out->append(text.substr(p, length - 1 - p));
        p = length;
      }
      break;
    }
    out->append(text.substr(p, match - p));
    out->append(replacement);
    p = match + sought.size();
    if (!budget.Consume()) break;
  }
  out->append(text.substr(p));
}

}  // namespace

void FindText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  std::string_view text = in.Text(0);
  std::string_view sought = in.Text(1);
  size_t start = std::min(ScanStart(in, 2), text.size());
  const size_t remaining = text.size() - start;
  if (sought.empty()) {
    SetInt(result, remaining > 0 ? 1 : -1);
    return;
  }
  // Only the exact value 1 asks for folding case; other true values compare exactly.
  size_t match;
  if (in.BoolWord(3, 0) == 1) {
    gbk::FoldingFinder finder(Bytes(text), text.size(), sought, start);
    match = finder.Next(start);
  } else {
    gbk::ExactFinder finder(Bytes(text), text.size(), sought, start);
    match = finder.Next(start);
  }
  SetInt(result, match == gbk::kNotFound ? -1 : Position(match));
}

void ReplaceText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  std::string_view text = in.Text(0);
  std::string_view sought = in.Text(1);
  std::string_view replacement = in.Text(2);
  size_t start = ScanStart(in, 3);
  int32_t limit = in.Given(4) ? in.Int(4, -1) : -1;
  bool matchCase = in.BoolWord(5, 0) != 0;
  if (text.empty() || sought.empty() || start >= text.size() || limit == 0) {
    SetText(result, text);
    return;
  }
  AssemblyBuffer buffer;
  std::string& out = buffer.get();
  out.reserve(text.size());
  out.append(text.substr(0, start));
  if (matchCase) {
    gbk::ExactFinder finder(Bytes(text), text.size(), sought, start);
    ReplaceMatches(finder, text, sought, replacement, start, MatchBudget(limit), &out);
  } else {
    gbk::FoldingFinder finder(Bytes(text), text.size(), sought, start);
    ReplaceMatches(finder, text, sought, replacement, start, MatchBudget(limit), &out);
  }
  SetText(result, out);
}

void SplitText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  std::string_view text = in.Text(0);
  std::string_view delimiter = in.Text(1, ",");
  // Omitted means unlimited; a negative given maximum means no pieces at all.
  int32_t maximum = in.Given(2) ? std::max(in.Int(2, -1), 0) : -1;

  struct Piece {
    size_t offset, length;
  };
  std::vector<Piece> pieces;
  if (!text.empty() && maximum != 0) {
    if (delimiter.empty()) {
      pieces.push_back({0, text.size()});
    } else {
      gbk::ExactFinder finder(Bytes(text), text.size(), delimiter, 0);
      size_t q = 0;
      while (text.size() - q >= delimiter.size()) {
        size_t match = finder.Next(q);
        if (match == gbk::kNotFound) break;
        pieces.push_back({q, match - q});
        q = match + delimiter.size();
        if (maximum > 0 && --maximum == 0) break;
      }
      if (q < text.size() && maximum != 0) pieces.push_back({q, text.size() - q});
    }
  }

  auto* block = static_cast<uint8_t*>(rt::BuildArray(Alloc, sizeof(char*), pieces.size()));
  if (block != nullptr) {
    for (size_t i = 0; i < pieces.size(); ++i) {
      char* element = MakeText(text.substr(pieces[i].offset, pieces[i].length));
      rt::WritePointer(block + rt::kEmptyArrayBytes + i * sizeof(char*), element);
    }
  }
  SetPointer(result, rt::kArrayFlag | rt::kTypeText, block);
}

}  // namespace cmd
