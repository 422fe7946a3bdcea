#include "platform/controls/EditText.h"

#include <algorithm>
#include <utility>

namespace platform::controls {

bool IsGbkLead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
bool IsGbkTrail(unsigned char c) {
  return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

size_t CharLengthAt(const std::string& text, size_t pos) {
  if (pos >= text.size()) return 0;
  auto c = static_cast<unsigned char>(text[pos]);
  if (IsGbkLead(c) && pos + 1 < text.size() &&
      IsGbkTrail(static_cast<unsigned char>(text[pos + 1])))
    return 2;
  return 1;
}

size_t CharStartAt(const std::string& text, size_t pos) {
  if (pos >= text.size()) return text.size();
  // A line break is never part of a two-byte character, so the scan can start after one.
  size_t start = pos == 0 ? 0 : text.rfind('\n', pos - 1);
  start = start == std::string::npos || pos == 0 ? 0 : start + 1;
  size_t p = start;
  while (p < pos) {
    size_t next = p + CharLengthAt(text, p);
    if (next > pos) return p;
    p = next;
  }
  return p;
}

size_t NextCharPos(const std::string& text, size_t pos) {
  pos = CharStartAt(text, pos);
  return pos + CharLengthAt(text, pos);
}

size_t PrevCharPos(const std::string& text, size_t pos) {
  if (pos == 0) return 0;
  pos = std::min(pos, text.size());
  return CharStartAt(text, pos - 1);
}

size_t FitBytes(const std::string& text, size_t bytes) {
  if (bytes >= text.size()) return text.size();
  return CharStartAt(text, bytes);
}

void EditText::SetText(const std::string& text) {
  text_ = text;
  anchor_ = caret_ = 0;
  EmptyUndo();
  modified_ = false;
}

void EditText::Select(size_t anchor, size_t caret) {
  anchor_ = CharStartAt(text_, std::min(anchor, text_.size()));
  caret_ = CharStartAt(text_, std::min(caret, text_.size()));
}

bool EditText::ReplaceSelection(const std::string& insert, bool canUndo) {
  size_t start = selStart(), end = selEnd();
  size_t kept = text_.size() - (end - start);
  size_t room = limit_ > kept ? limit_ - kept : 0;
  std::string piece = insert.substr(0, FitBytes(insert, room));
  bool whole = piece.size() == insert.size();
  if (piece.empty() && start == end) return whole;
  if (canUndo) {
    undoText_ = text_;
    undoAnchor_ = anchor_;
    undoCaret_ = caret_;
    canUndo_ = true;
  }
  text_.replace(start, end - start, piece);
  anchor_ = caret_ = start + piece.size();
  modified_ = true;
  return whole;
}

bool EditText::Undo() {
  if (!canUndo_) return false;
  std::swap(text_, undoText_);
  std::swap(anchor_, undoAnchor_);
  std::swap(caret_, undoCaret_);
  Select(anchor_, caret_);
  modified_ = true;
  return true;
}

namespace {
bool IsWordChar(const std::string& text, size_t pos) {
  auto c = static_cast<unsigned char>(text[pos]);
  if (CharLengthAt(text, pos) == 2) return true;
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
}  // namespace

void EditText::WordAt(size_t pos, size_t* start, size_t* end) const {
  pos = CharStartAt(text_, std::min(pos, text_.size()));
  // Past the end, or on a character that is no part of a word: the word before it, if any.
  if (pos >= text_.size() || !IsWordChar(text_, pos)) {
    size_t prev = PrevCharPos(text_, pos);
    if (pos > 0 && IsWordChar(text_, prev)) {
      pos = prev;
    } else {
      *start = pos;
      *end = pos < text_.size() ? NextCharPos(text_, pos) : pos;
      return;
    }
  }
  size_t s = pos;
  while (s > 0) {
    size_t p = PrevCharPos(text_, s);
    if (!IsWordChar(text_, p)) break;
    s = p;
  }
  size_t e = pos;
  while (e < text_.size() && IsWordChar(text_, e)) e = NextCharPos(text_, e);
  *start = s;
  *end = e;
}

}  // namespace platform::controls
