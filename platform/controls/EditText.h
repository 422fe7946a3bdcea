// The text of an edit control and what editing does to it, apart from any window: GBK
// bytes, a selection that never splits a two-byte character, and one level of undo.
// Positions are byte offsets, as the ANSI edit messages count them.
#pragma once

#include <cstddef>
#include <string>

namespace platform::controls {

// GBK character boundaries. A lead byte without a valid trail byte counts as a character
// of its own, so no position ever lands inside a character and nothing reads past the end.
bool IsGbkLead(unsigned char c);
bool IsGbkTrail(unsigned char c);
// The length in bytes of the character that starts at `pos` (0 at the end).
size_t CharLengthAt(const std::string& text, size_t pos);
// The start of the character that holds byte `pos` (scanning from the start of its line).
size_t CharStartAt(const std::string& text, size_t pos);
size_t NextCharPos(const std::string& text, size_t pos);
size_t PrevCharPos(const std::string& text, size_t pos);
// The longest prefix of `text` no longer than `bytes` that ends on a character boundary.
size_t FitBytes(const std::string& text, size_t bytes);

class EditText {
 public:
  const std::string& text() const { return text_; }
  size_t size() const { return text_.size(); }
  // The selection: anchor stays put while the caret moves (shift+arrows, drags).
  size_t anchor() const { return anchor_; }
  size_t caret() const { return caret_; }
  size_t selStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
  size_t selEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
  bool hasSelection() const { return anchor_ != caret_; }
  std::string selectedText() const { return text_.substr(selStart(), selEnd() - selStart()); }

  // Replaces all the text; drops the undo record and puts the caret at the start.
  void SetText(const std::string& text);
  // Positions are clamped and moved to character starts.
  void Select(size_t anchor, size_t caret);
  // Replaces the selection by `insert`, cut to what the limit leaves room for (on a
  // character boundary). Returns false when some of `insert` did not fit. With
  // `canUndo` the previous text and selection are kept for Undo.
  bool ReplaceSelection(const std::string& insert, bool canUndo);
  // Swaps back to the text before the last undoable edit (a second Undo redoes it).
  bool Undo();
  bool CanUndo() const { return canUndo_; }
  void EmptyUndo() {
    canUndo_ = false;
    undoText_.clear();
  }

  size_t limit() const { return limit_; }
  void SetLimit(size_t limit) { limit_ = limit; }
  bool modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // The word around `pos` (letters, digits, two-byte characters), for double clicks.
  void WordAt(size_t pos, size_t* start, size_t* end) const;

 private:
  std::string text_;
  size_t anchor_ = 0;
  size_t caret_ = 0;
  size_t limit_ = 30000;
  bool modified_ = false;
  bool canUndo_ = false;
  std::string undoText_;
  size_t undoAnchor_ = 0;
  size_t undoCaret_ = 0;
};

}  // namespace platform::controls
