// ChooseFontA: face, style and size lists, effects and colour, and a sample drawn in the
// font being chosen.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/DialogState.h"
#include "platform/controls/FileDialogModel.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/AutomationHooks.h"

namespace platform::controls {
namespace {

constexpr int kIdFaceEdit = 1101;
constexpr int kIdFaceList = 1102;
constexpr int kIdStyleList = 1103;
constexpr int kIdSizeEdit = 1104;
constexpr int kIdSizeList = 1105;
constexpr int kIdStrikeOut = 1106;
constexpr int kIdUnderline = 1107;
constexpr int kIdColor = 1108;
constexpr int kIdSample = 1109;

constexpr const char kTitle[] = "\xD7\xD6\xCC\xE5";  // 字体
constexpr const char kFaceLabel[] = "\xD7\xD6\xCC\xE5(&F):";
constexpr const char kStyleLabel[] = "\xD7\xD6\xD0\xCE(&Y):";
constexpr const char kSizeLabel[] = "\xB4\xF3\xD0\xA1(&S):";
constexpr const char kEffects[] = "\xD0\xA7\xB9\xFB";
constexpr const char kStrikeOut[] = "\xC9\xBE\xB3\xFD\xCF\xDF(&K)";
constexpr const char kUnderline[] = "\xCF\xC2\xBB\xAE\xCF\xDF(&U)";
constexpr const char kColorLabel[] = "\xD1\xD5\xC9\xAB(&C):";
constexpr const char kSampleGroup[] = "\xCA\xBE\xC0\xFD";
constexpr const char kSampleText[] = "\xCA\xBE\xC0\xFD\xCE\xC4\xD7\xD6 AaBbYyZz";
constexpr const char kCustomColor[] = "\xD7\xD4\xB6\xA8\xD2\xE5";
constexpr const char kOk[] = "\xC8\xB7\xB6\xA8";
constexpr const char kCancel[] = "\xC8\xA1\xCF\xFB";
constexpr const char kNoSuchFace[] =
    "\xC3\xBB\xD3\xD0\xB8\xC3\xC3\xFB\xB3\xC6\xB5\xC4\xD7\xD6\xCC\xE5\xA1\xA3\n\xC7\xEB\xB4\xD3"
    "\xC1\xD0\xB1\xED\xD6\xD0\xD1\xA1\xD4\xF1\xD7\xD6\xCC\xE5\xA1\xA3";
constexpr const char kBadSize[] =
    "\xB4\xF3\xD0\xA1\xB1\xD8\xD0\xEB\xCA\xC7\xBD\xE9\xD3\xDA 1 \xBA\xCD 999 \xD6\xAE\xBC\xE4\xB5"
    "\xC4\xCA\xFD\xD7\xD6\xA1\xA3";

// 常规, 倾斜, 粗体, 粗偏斜体: index bit 0 italic, bit 1 bold.
const char* const kStyles[] = {"\xB3\xA3\xB9\xE6", "\xC7\xE3\xD0\xB1", "\xB4\xD6\xCC\xE5",
                               "\xB4\xD6\xC6\xAB\xD0\xB1\xCC\xE5"};
const int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

struct NamedColor {
  const char* name;
  COLORREF color;
};
const NamedColor kColors[] = {
    {"\xBA\xDA\xC9\xAB", RGB(0, 0, 0)},
    {"\xBA\xD6\xBA\xEC\xC9\xAB", RGB(128, 0, 0)},
    {"\xC2\xCC\xC9\xAB", RGB(0, 128, 0)},
    {"\xE9\xCF\xE9\xAD\xC9\xAB", RGB(128, 128, 0)},
    {"\xC9\xEE\xC0\xB6\xC9\xAB", RGB(0, 0, 128)},
    {"\xD7\xCF\xC9\xAB", RGB(128, 0, 128)},
    {"\xCB\xAE\xD1\xBC\xC9\xAB", RGB(0, 128, 128)},
    {"\xBB\xD2\xC9\xAB", RGB(128, 128, 128)},
    {"\xD2\xF8\xC9\xAB", RGB(192, 192, 192)},
    {"\xBA\xEC\xC9\xAB", RGB(255, 0, 0)},
    {"\xCB\xE1\xB3\xC8\xC9\xAB", RGB(0, 255, 0)},
    {"\xBB\xC6\xC9\xAB", RGB(255, 255, 0)},
    {"\xC0\xB6\xC9\xAB", RGB(0, 0, 255)},
    {"\xD7\xCF\xBA\xEC\xC9\xAB", RGB(255, 0, 255)},
    {"\xCB\xAE\xC2\xCC\xC9\xAB", RGB(0, 255, 255)},
    {"\xB0\xD7\xC9\xAB", RGB(255, 255, 255)},
};

int CALLBACK CollectFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM param) {
  auto* faces = reinterpret_cast<std::vector<std::string>*>(param);
  std::string face(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
  // Vertical variants ("@face") are for vertical text only.
  if (!face.empty() && face[0] != '@') faces->push_back(face);
  return 1;
}

bool SameFace(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Point sizes and pixel heights at 96 dots per inch, rounded to the nearest.
int PixelsFromPoints(int points) {
  return (points * 96 + 36) / 72;
}
int PointsFromPixels(int pixels) {
  return (pixels * 72 + 48) / 96;
}

void CopyFace(const std::string& face, LOGFONTA& font) {
  std::memset(font.lfFaceName, 0, LF_FACESIZE);
  size_t end = 0;
  for (size_t i = 0; i < face.size();) {
    unsigned char c = static_cast<unsigned char>(face[i]);
    size_t step = (c >= 0x81 && c <= 0xFE && i + 1 < face.size()) ? 2 : 1;
    if (i + step > LF_FACESIZE - 1) break;
    i += step;
    end = i;
  }
  std::memcpy(font.lfFaceName, face.data(), end);
}

struct FontChoice {
  std::string face;
  bool bold = false;
  bool italic = false;
  int points = 10;
  bool strikeOut = false;
  bool underline = false;
  COLORREF color = 0;
};

// Fills the caller's record from a choice.
void WriteFontResult(CHOOSEFONTA& cf, const FontChoice& choice) {
  LOGFONTA& font = *cf.lpLogFont;
  BYTE charSet = (cf.Flags & CF_INITTOLOGFONTSTRUCT) ? font.lfCharSet : DEFAULT_CHARSET;
  font = LOGFONTA{};
  font.lfHeight = -PixelsFromPoints(choice.points);
  font.lfWeight = choice.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = choice.italic ? 1 : 0;
  font.lfUnderline = choice.underline ? 1 : 0;
  font.lfStrikeOut = choice.strikeOut ? 1 : 0;
  font.lfCharSet = charSet;
  CopyFace(choice.face, font);
  cf.iPointSize = choice.points * 10;
  if (cf.Flags & CF_EFFECTS) cf.rgbColors = choice.color;
  cf.nFontType =
      static_cast<WORD>(SCREEN_FONTTYPE | (choice.bold ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                        (choice.italic ? ITALIC_FONTTYPE : 0));
}

struct FontDialog {
  DWORD flags = 0;
  int minPoints = 1;
  int maxPoints = 999;
  std::vector<std::string> faces;
  std::vector<NamedColor> colors;
  FontChoice choice;
  HWND dialog = nullptr;
  HFONT sampleFont = nullptr;

  void UpdateSample() {
    LOGFONTA font{};
    font.lfHeight = -PixelsFromPoints(std::clamp(choice.points, 1, 999));
    font.lfWeight = choice.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = choice.italic ? 1 : 0;
    font.lfUnderline = choice.underline ? 1 : 0;
    font.lfStrikeOut = choice.strikeOut ? 1 : 0;
    font.lfCharSet = DEFAULT_CHARSET;
    CopyFace(choice.face, font);
    HFONT created = CreateFontIndirectA(&font);
    HWND sample = GetDlgItem(dialog, kIdSample);
    SendMessageA(sample, WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
    InvalidateRect(sample, nullptr, TRUE);
    if (sampleFont != nullptr) DeleteObject(sampleFont);
    sampleFont = created;
  }

  int FaceIndex(const std::string& face) const {
    for (size_t i = 0; i < faces.size(); ++i)
      if (SameFace(faces[i], face)) return static_cast<int>(i);
    return -1;
  }

  static bool ParsePoints(const std::string& text, int* points) {
    if (text.empty() || text.size() > 4) return false;
    int value = 0;
    for (char c : text) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    *points = value;
    return true;
  }

  std::string ItemText(int id) {
    char buffer[256];
    GetDlgItemTextA(dialog, id, buffer, sizeof(buffer));
    return buffer;
  }

  void Confirm() {
    std::string face = ItemText(kIdFaceEdit);
    int index = FaceIndex(face);
    if (index < 0) {
      MessageBoxA(dialog, kNoSuchFace, kTitle, MB_OK | MB_ICONWARNING);
      FocusDialogControl(dialog, GetDlgItem(dialog, kIdFaceEdit));
      return;
    }
    int points = 0;
    if (!ParsePoints(ItemText(kIdSizeEdit), &points) || points < minPoints || points > maxPoints) {
      MessageBoxA(dialog, kBadSize, kTitle, MB_OK | MB_ICONWARNING);
      FocusDialogControl(dialog, GetDlgItem(dialog, kIdSizeEdit));
      return;
    }
    choice.face = faces[static_cast<size_t>(index)];
    choice.points = points;
    EndDialog(dialog, IDOK);
  }

  std::optional<LRESULT> Handle(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC &&
        reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, kIdSample)) {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, (flags & CF_EFFECTS) ? choice.color : GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    if (message != WM_COMMAND) return std::nullopt;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    switch (id) {
      case kIdFaceList:
        if (code == LBN_SELCHANGE) {
          int index = static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0));
          if (index >= 0 && index < static_cast<int>(faces.size())) {
            choice.face = faces[static_cast<size_t>(index)];
            SetDlgItemTextA(dialog, kIdFaceEdit, choice.face.c_str());
            UpdateSample();
          }
        }
        return 0;
      case kIdFaceEdit:
        if (code == EN_CHANGE) {
          int index = FaceIndex(ItemText(kIdFaceEdit));
          if (index >= 0) {
            SendDlgItemMessageA(dialog, kIdFaceList, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
            choice.face = faces[static_cast<size_t>(index)];
            UpdateSample();
          }
        }
        return 0;
      case kIdStyleList:
        if (code == LBN_SELCHANGE) {
          int index = static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0));
          if (index >= 0 && index < 4) {
            choice.italic = (index & 1) != 0;
            choice.bold = (index & 2) != 0;
            UpdateSample();
          }
        }
        return 0;
      case kIdSizeList:
        if (code == LBN_SELCHANGE) {
          int index = static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0));
          if (index >= 0 && index < static_cast<int>(std::size(kSizes))) {
            choice.points = kSizes[index];
            SetDlgItemInt(dialog, kIdSizeEdit, static_cast<UINT>(choice.points), FALSE);
            UpdateSample();
          }
        }
        return 0;
      case kIdSizeEdit:
        if (code == EN_CHANGE) {
          int points = 0;
          if (ParsePoints(ItemText(kIdSizeEdit), &points) && points >= 1) {
            choice.points = points;
            UpdateSample();
          }
        }
        return 0;
      case kIdStrikeOut:
      case kIdUnderline:
        if (code == BN_CLICKED) {
          choice.strikeOut = IsDlgButtonChecked(dialog, kIdStrikeOut) == BST_CHECKED;
          choice.underline = IsDlgButtonChecked(dialog, kIdUnderline) == BST_CHECKED;
          UpdateSample();
        }
        return 0;
      case kIdColor:
        if (code == CBN_SELCHANGE) {
          int index = static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
          if (index >= 0 && index < static_cast<int>(colors.size())) {
            choice.color = colors[static_cast<size_t>(index)].color;
            InvalidateRect(GetDlgItem(dialog, kIdSample), nullptr, TRUE);
          }
        }
        return 0;
      case IDOK:
        Confirm();
        return 0;
      case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return 0;
      default:
        return std::nullopt;
    }
  }
};

bool Build(FontDialog& state, HWND owner) {
  auto shared = std::shared_ptr<FontDialog>(&state, [](FontDialog*) {});
  HWND dialog = CreateDialogWindow(
      owner, kTitle, 460, 292, WS_SYSMENU, 0,
      [shared](HWND h, UINT m, WPARAM w, LPARAM l) { return shared->Handle(h, m, w, l); });
  if (dialog == nullptr) return false;
  state.dialog = dialog;
  const FontChoice initial = state.choice;
  AddDialogControl(dialog, "STATIC", kFaceLabel, SS_LEFT, 10, 10, 170, 16, -1);
  HWND faceEdit = AddDialogControl(dialog, "EDIT", initial.face.c_str(),
                                   ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 10, 28, 170,
                                   22, kIdFaceEdit);
  HWND faceList =
      AddDialogControl(dialog, "LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 10,
                       52, 170, 120, kIdFaceList);
  AddDialogControl(dialog, "STATIC", kStyleLabel, SS_LEFT, 190, 10, 100, 16, -1);
  HWND styleList = AddDialogControl(dialog, "LISTBOX", "", LBS_NOTIFY | WS_BORDER | WS_TABSTOP, 190,
                                    28, 100, 144, kIdStyleList);
  AddDialogControl(dialog, "STATIC", kSizeLabel, SS_LEFT, 300, 10, 60, 16, -1);
  char points[16];
  std::snprintf(points, sizeof(points), "%d", initial.points);
  AddDialogControl(dialog, "EDIT", points, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 300, 28, 60, 22,
                   kIdSizeEdit);
  HWND sizeList =
      AddDialogControl(dialog, "LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 300,
                       52, 60, 120, kIdSizeList);
  AddDialogControl(dialog, "BUTTON", kOk, BS_DEFPUSHBUTTON | WS_TABSTOP, 370, 28, 80, 24, IDOK);
  AddDialogControl(dialog, "BUTTON", kCancel, BS_PUSHBUTTON | WS_TABSTOP, 370, 58, 80, 24,
                   IDCANCEL);
  if (state.flags & CF_EFFECTS) {
    AddDialogControl(dialog, "BUTTON", kStrikeOut, BS_AUTOCHECKBOX | WS_TABSTOP, 20, 198, 150, 20,
                     kIdStrikeOut);
    AddDialogControl(dialog, "BUTTON", kUnderline, BS_AUTOCHECKBOX | WS_TABSTOP, 20, 220, 150, 20,
                     kIdUnderline);
    AddDialogControl(dialog, "STATIC", kColorLabel, SS_LEFT, 20, 250, 56, 16, -1);
    HWND color = AddDialogControl(dialog, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP, 78, 246,
                                  96, 220, kIdColor);
    int selected = 0;
    for (size_t i = 0; i < state.colors.size(); ++i) {
      SendMessageA(color, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(state.colors[i].name));
      if (state.colors[i].color == initial.color) selected = static_cast<int>(i);
    }
    SendMessageA(color, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    CheckDlgButton(dialog, kIdStrikeOut, initial.strikeOut ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kIdUnderline, initial.underline ? BST_CHECKED : BST_UNCHECKED);
  }
  AddDialogControl(dialog, "STATIC", kSampleText, SS_CENTER | SS_NOPREFIX, 200, 200, 240, 74,
                   kIdSample);
  // Group boxes come after what they frame, so that they lie below it.
  if (state.flags & CF_EFFECTS)
    AddDialogControl(dialog, "BUTTON", kEffects, BS_GROUPBOX, 10, 180, 170, 102, -1);
  AddDialogControl(dialog, "BUTTON", kSampleGroup, BS_GROUPBOX, 190, 180, 260, 102, -1);

  for (const std::string& face : state.faces)
    SendMessageA(faceList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face.c_str()));
  int faceIndex = state.FaceIndex(initial.face);
  if (faceIndex >= 0) SendMessageA(faceList, LB_SETCURSEL, static_cast<WPARAM>(faceIndex), 0);
  for (const char* style : kStyles)
    SendMessageA(styleList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(style));
  SendMessageA(styleList, LB_SETCURSEL, (initial.bold ? 2 : 0) + (initial.italic ? 1 : 0), 0);
  for (size_t i = 0; i < std::size(kSizes); ++i) {
    char text[8];
    std::snprintf(text, sizeof(text), "%d", kSizes[i]);
    SendMessageA(sizeList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (kSizes[i] == initial.points) SendMessageA(sizeList, LB_SETCURSEL, i, 0);
  }
  SendMessageA(dialog, DM_SETDEFID, IDOK, 0);
  if (auto dialogState = DialogStateOf(dialog)) dialogState->lastFocus = faceEdit;
  state.UpdateSample();
  return true;
}

std::vector<std::string> ScreenFaces() {
  std::vector<std::string> faces;
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTA all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(dc, &all, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  if (dc != nullptr) DeleteDC(dc);
  std::sort(faces.begin(), faces.end());
  faces.erase(std::unique(faces.begin(), faces.end(), SameFace), faces.end());
  return faces;
}

std::string GuiFace() {
  LOGFONTA font{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  return std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
}

}  // namespace
}  // namespace platform::controls

BOOL ChooseFontA(LPCHOOSEFONTA cf) {
  using namespace platform::controls;
  SetCommonDialogError(0);
  if (cf == nullptr) {
    SetCommonDialogError(CDERR_INITIALIZATION);
    return FALSE;
  }
  if (cf->lStructSize != sizeof(CHOOSEFONTA)) {
    SetCommonDialogError(CDERR_STRUCTSIZE);
    return FALSE;
  }
  if (cf->lpLogFont == nullptr) {
    SetCommonDialogError(CDERR_INITIALIZATION);
    return FALSE;
  }
  if ((cf->Flags & CF_LIMITSIZE) && cf->nSizeMax < cf->nSizeMin) {
    SetCommonDialogError(CFERR_MAXLESSTHANMIN);
    return FALSE;
  }

  platform::user::FontDialogRecord record;
  record.flags = cf->Flags;
  if (auto scripted = platform::user::ActiveDialogScript().TakeFontDialogAnswer()) {
    if (!*scripted) {
      platform::user::ActiveDialogScript().FontDialogShown(record);
      return FALSE;
    }
    const LOGFONTA& font = (*scripted)->first;
    FontChoice choice;
    choice.face = std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
    choice.bold = font.lfWeight >= FW_SEMIBOLD;
    choice.italic = font.lfItalic != 0;
    choice.underline = font.lfUnderline != 0;
    choice.strikeOut = font.lfStrikeOut != 0;
    choice.points = font.lfHeight != 0 ? PointsFromPixels(std::abs(font.lfHeight)) : 10;
    choice.color = (*scripted)->second;
    WriteFontResult(*cf, choice);
    record.confirmed = true;
    record.font = *cf->lpLogFont;
    record.color = choice.color;
    platform::user::ActiveDialogScript().FontDialogShown(record);
    return TRUE;
  }
  if (!DialogsAreWindows()) {
    // Nobody could answer: say so where a person running the program can read it.
    std::fprintf(stderr, "%s\n", platform::kernel::GbkToUtf8(kTitle, false).value_or("").c_str());
    std::fflush(stderr);
    platform::user::ActiveDialogScript().FontDialogShown(record);
    return FALSE;
  }

  FontDialog state;
  state.flags = cf->Flags;
  if (cf->Flags & CF_LIMITSIZE) {
    state.minPoints = std::max(1, cf->nSizeMin);
    state.maxPoints = std::min(999, std::max(state.minPoints, cf->nSizeMax));
  }
  state.faces = ScreenFaces();
  if (state.faces.empty()) {
    SetCommonDialogError(CFERR_NOFONTS);
    platform::user::ActiveDialogScript().FontDialogShown(record);
    return FALSE;
  }
  state.colors.assign(std::begin(kColors), std::end(kColors));
  FontChoice& choice = state.choice;
  choice.face = GuiFace();
  if (cf->Flags & CF_INITTOLOGFONTSTRUCT) {
    const LOGFONTA& font = *cf->lpLogFont;
    std::string face(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
    if (!face.empty()) choice.face = face;
    choice.bold = font.lfWeight >= FW_SEMIBOLD;
    choice.italic = font.lfItalic != 0;
    choice.underline = font.lfUnderline != 0;
    choice.strikeOut = font.lfStrikeOut != 0;
    if (font.lfHeight != 0)
      choice.points = std::clamp(PointsFromPixels(std::abs(font.lfHeight)), 1, 999);
  }
  if (state.FaceIndex(choice.face) < 0) choice.face = state.faces.front();
  if (cf->Flags & CF_EFFECTS) {
    choice.color = cf->rgbColors & 0x00FFFFFF;
    bool known = std::any_of(state.colors.begin(), state.colors.end(),
                             [&](const NamedColor& c) { return c.color == choice.color; });
    if (!known) state.colors.push_back({kCustomColor, choice.color});
  }

  HWND owner = cf->hwndOwner != nullptr && IsWindow(cf->hwndOwner)
                   ? GetAncestor(cf->hwndOwner, GA_ROOT)
                   : nullptr;
  if (!Build(state, owner)) {
    SetCommonDialogError(CDERR_DIALOGFAILURE);
    platform::user::ActiveDialogScript().FontDialogShown(record);
    return FALSE;
  }
  ModalOptions options;
  if (owner != nullptr) options.disable.push_back(owner);
  bool confirmed = RunModalDialog(state.dialog, owner, options) == IDOK;
  if (state.sampleFont != nullptr) DeleteObject(state.sampleFont);
  if (confirmed) {
    WriteFontResult(*cf, state.choice);
    record.confirmed = true;
    record.font = *cf->lpLogFont;
    record.color = state.choice.color;
  }
  platform::user::ActiveDialogScript().FontDialogShown(record);
  return confirmed ? TRUE : FALSE;
}
