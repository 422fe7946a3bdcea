// The EDIT window's state, shared by its message handling, layout and painting.
#pragma once

#include <string>
#include <vector>

#include "platform/controls/EditText.h"
#include "platform/user32.h"

namespace platform::controls::edit {

// One line as shown: bytes [start, end) are drawn, `next` starts the following line (past
// a line break, or equal to `end` where a long line wraps).
struct Line {
  size_t start = 0;
  size_t end = 0;
  size_t next = 0;
};

struct EditData {
  EditData() = default;
  EditData(const EditData&) = delete;
  EditData& operator=(const EditData&) = delete;
  ~EditData();  // frees the measuring DC

  HWND hwnd = nullptr;
  EditText model;
  HFONT font = nullptr;
  HDC measure = nullptr;  // a memory DC with the font selected, for text extents
  bool focused = false;
  bool caretOn = true;  // the blinking caret's current phase
  char passwordChar = '*';
  std::vector<Line> lines;
  int lineHeight = 16;
  int charWidth = 7;  // average, for horizontal scrolling by characters
  int firstLine = 0;  // multi-line: the top visible line
  int xOffset = 0;    // pixels scrolled to the left
  int leftMargin = 1;
  int rightMargin = 1;
  bool tracking = false;    // a mouse drag is selecting
  int pendingLead = -1;     // the lead byte of a two-byte character typed as two WM_CHARs
  int desiredX = -1;        // column kept while moving up and down
  bool vScrollBar = false;  // created with WS_VSCROLL / WS_HSCROLL
  bool hScrollBar = false;
};

// The length limit of a multi-line edit, and of any edit told EM_LIMITTEXT 0.
constexpr size_t kUnlimited = 0x7FFFFFFE;

DWORD StyleOf(const EditData& data);
bool IsMultiLine(const EditData& data);
bool IsPassword(const EditData& data);

// ---- Layout and scrolling (EditLayout.cpp) --------------------------------------------------

void SetFont(EditData& data, HFONT font);
// The rectangle text is laid out in (client coordinates).
RECT FormatRect(const EditData& data);
void Relayout(EditData& data);
size_t LineOf(const EditData& data, size_t pos);
// What the line shows from its start up to `pos` (password characters when hidden).
std::string Shown(const EditData& data, size_t start, size_t pos);
int TextWidth(const EditData& data, const std::string& shown);
// Where the line's text starts: alignment and horizontal scrolling applied.
int LineX(const EditData& data, size_t line);
POINT PointOfPos(const EditData& data, size_t pos);
size_t PosOfPoint(const EditData& data, POINT client);
int VisibleLines(const EditData& data);
// Scrolls so that the caret is visible; true when the view moved.
bool ScrollToCaret(EditData& data);
// Scrolls by lines and pixels, clamped; true when the view moved.
bool ScrollBy(EditData& data, int lines, int pixels);
void UpdateScrollBars(EditData& data);

// ---- Edits and the clipboard (EditEditing.cpp) ----------------------------------------------

// Scroll bars brought up to date and the text shown again.
void Redraw(EditData& data);
bool ReadOnly(const EditData& data);
// After the text changed: laid out again, the caret in view, EN_UPDATE, shown, EN_CHANGE.
void AfterEdit(EditData& data);
// Letters in the case ES_UPPERCASE or ES_LOWERCASE asks for.
std::string ApplyCase(const EditData& data, std::string text);
// Line breaks as the control keeps them: CR LF in a multi-line edit; a single-line edit
// takes only the first line.
std::string NormalizeBreaks(const EditData& data, const std::string& in);
// A user's edit of the selection: refused when read-only, cut to the limit (EN_MAXTEXT).
void UserReplace(EditData& data, const std::string& insert);
void Copy(EditData& data);
void Cut(EditData& data);
void Paste(EditData& data);
void Clear(EditData& data);
bool Undo(EditData& data);

// ---- Keyboard (EditKeyboard.cpp) -------------------------------------------------------------

void KeyDown(EditData& data, WPARAM key);
void Char(EditData& data, unsigned int ch);

// ---- Program requests (EditMessages.cpp) -----------------------------------------------------

// The EM_ messages and the clipboard and undo commands; anything else goes to the default.
LRESULT EditCommand(EditData& data, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Painting (EditPaint.cpp) ---------------------------------------------------------------

void Paint(EditData& data, HDC dc);
void PaintFrame(EditData& data);
void RegisterEditPainters();

}  // namespace platform::controls::edit
