#include "forms/units/commondlg/CommonDlgUnit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "commands/support/CommandArgs.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "runtime/calls/ServiceTable.h"

namespace forms {

namespace {

constexpr char kCommonDlgClass[] = "VelmoraCommonDlg";
// Room for the chosen path; a longer initial name gets room for itself.
constexpr size_t kPathRoom = 4096;

constexpr uint32_t kKindOpen = 0;
constexpr uint32_t kKindSave = 1;
constexpr uint32_t kKindFont = 2;
constexpr uint32_t kKindHelp = 3;

bool IsGbkLead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

class CommonDlgUnit : public ControlUnit {
 public:
  CommonDlgUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {}) {}

  bool Open() {
    switch (Properties().Word(kDialogKind)) {
      case kKindOpen:
      case kKindSave:
        return FileDialog(Properties().Word(kDialogKind) == kKindSave);
      case kKindFont:
        return FontDialog();
      case kKindHelp:
        return Help();
      default:
        return false;
    }
  }

 protected:
  int32_t Apply(uint32_t) override { return 0; }

 private:
  HWND Owner() const { return GetAncestor(Handle(), GA_ROOT); }

  bool FileDialog(bool save) {
    FileDialogSetup setup = MakeFileDialogSetup(Properties());
    std::vector<char> path(std::max(kPathRoom, setup.fileName.size() + 1), '\0');
    std::memcpy(path.data(), setup.fileName.data(), setup.fileName.size());
    auto given = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Owner();
    ofn.lpstrFilter = setup.filter.empty() ? nullptr : setup.filter.data();
    ofn.nFilterIndex = setup.filterIndex;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrInitialDir = given(setup.folder);
    ofn.lpstrTitle = given(setup.title);
    ofn.Flags = setup.flags;
    ofn.lpstrDefExt = given(setup.defaultExtension);
    const BOOL confirmed = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!confirmed) return false;
    path.back() = '\0';
    Properties().SetText(kDialogFileName, path.data());
    return true;
  }

  bool FontDialog() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTA font = InitialDialogFont(Properties(), dpi > 0 ? dpi : 96);
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = Owner();
    cf.lpLogFont = &font;
    // Without CF_INITTOLOGFONTSTRUCT the dialog would ignore the font set up above.
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    cf.rgbColors = Properties().Word(kDialogFontColor) & 0x00FFFFFF;
    if (!ChooseFontA(&cf)) return false;
    TypeBlock& p = Properties();
    p.SetWord(kDialogFontColor, cf.rgbColors);
    p.SetWord(kDialogBold, font.lfWeight >= FW_BOLD ? 1 : 0);
    p.SetWord(kDialogItalic, font.lfItalic != 0 ? 1 : 0);
    p.SetWord(kDialogStrikeOut, font.lfStrikeOut != 0 ? 1 : 0);
    p.SetWord(kDialogUnderline, font.lfUnderline != 0 ? 1 : 0);
    font.lfFaceName[LF_FACESIZE - 1] = '\0';
    p.SetText(kDialogFaceName, font.lfFaceName);
    int points = (cf.iPointSize + 5) / 10;
    if (points == 0 && font.lfHeight != 0) {
      points = (std::abs(font.lfHeight) * 72 + (dpi > 0 ? dpi : 96) / 2) / (dpi > 0 ? dpi : 96);
    }
    p.SetWord(kDialogFontSize, static_cast<uint32_t>(points));
    return true;
  }

  bool Help() {
    FormTemplate* form = FindLoadedWindow(WindowId());
    WindowUnit* window = form != nullptr ? LiveWindow(*form) : nullptr;
    if (window == nullptr || !IsWindow(window->Handle())) return false;
    const uint32_t command = Properties().Word(kDialogHelpCommand);
    if (command == 4 || command == 5) {
      window->RecordHelpCall("", command == 4 ? kHelpOnHelp : kHelpQuit, 0);
      return true;
    }
    const std::string file = Properties().Text(kDialogHelpFile);
    if (command > 3 || !HelpFileExists(file)) return false;
    const uint32_t context = Properties().Word(kDialogHelpContext);
    UINT call = kHelpFinder;
    if (command == 3) call = kHelpOpenFile;
    if (command == 1 && context != 0) call = kHelpContext;
    if (command == 2 && context != 0) call = kHelpPopup;
    window->RecordHelpCall(file, call, call == kHelpContext || call == kHelpPopup ? context : 0);
    return true;
  }
};

UnitObject* CreateCommonDlg(const UnitCreateArgs& args) {
  if (!EnsureUnitClass(kCommonDlgClass)) return nullptr;
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeCommonDlg, args.typeBlock);
  if (!block) return nullptr;
  return CreateControlWindow(args, kCommonDlgClass, "", 0, 0,
                             new CommonDlgUnit(args.windowId, args.unitId, std::move(*block)));
}

}  // namespace

std::string DialogFilter(std::string_view text) {
  if (text.empty()) return {};
  std::string out;
  out.reserve(text.size() + 2);
  int barsAtEnd = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsGbkLead(c) && i + 1 < text.size()) {
      out += text[i];
      out += text[++i];
      barsAtEnd = 0;
    } else if (c == '|') {
      out += '\0';
      ++barsAtEnd;
    } else {
      out += static_cast<char>(c);
      barsAtEnd = 0;
    }
  }
  // The dialog reads the list up to a double terminator.
  if (barsAtEnd < 2) out.append(2, '\0');
  return out;
}

FileDialogSetup MakeFileDialogSetup(const TypeBlock& p) {
  constexpr DWORD kSwitchFlags[] = {OFN_CREATEPROMPT, OFN_FILEMUSTEXIST, OFN_OVERWRITEPROMPT,
                                    OFN_PATHMUSTEXIST, OFN_NOCHANGEDIR};
  FileDialogSetup s;
  s.flags = OFN_HIDEREADONLY;
  for (uint32_t i = 0; i < std::size(kSwitchFlags); ++i) {
    if (p.Logical(kDialogCreatePrompt + i)) s.flags |= kSwitchFlags[i];
  }
  s.filter = DialogFilter(p.Text(kDialogFilter));
  if (!s.filter.empty()) {
    const int32_t first = p.Int(kDialogFilterIndex);
    // Counted in 32 bits without a sign, the largest index cannot overflow.
    s.filterIndex = first < 0 ? 1 : static_cast<DWORD>(first) + 1;
  }
  s.title = p.Text(kDialogTitle);
  s.folder = p.Text(kDialogFolder);
  s.defaultExtension = p.Text(kDialogDefaultExt);
  s.fileName = p.Text(kDialogFileName);
  return s;
}

LOGFONTA InitialDialogFont(const TypeBlock& p, int dotsPerInch) {
  LOGFONTA font{};
  if (p.Logical(kDialogBold)) font.lfWeight = FW_BOLD;
  font.lfItalic = p.Logical(kDialogItalic) ? 1 : 0;
  font.lfStrikeOut = p.Logical(kDialogStrikeOut) ? 1 : 0;
  font.lfUnderline = p.Logical(kDialogUnderline) ? 1 : 0;
  const std::string face = p.Text(kDialogFaceName);
  std::memcpy(font.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
  const int64_t points = p.Int(kDialogFontSize);
  if (points != 0) font.lfHeight = static_cast<LONG>(-(points * dotsPerInch + 36) / 72);
  return font;
}

bool OpenCommonDialog(UnitObject* unit) {
  auto* dialog = dynamic_cast<CommonDlgUnit*>(unit);
  return dialog != nullptr && dialog->Open();
}

void OpenDialogCommand(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  constexpr int32_t kNotifyFindUnitOrFail = 2007;
  cmd::CommandArgs a(count, args);
  void* unit = nullptr;
  if (a.Given(0)) {
    const rt::ArgRecord& r = a.Record(0);
    unit = reinterpret_cast<void*>(rt::RuntimeNotify(kNotifyFindUnitOrFail, r.Low(), r.High()));
  }
  cmd::SetBool(result,
               UnitObject::IsLive(unit) && OpenCommonDialog(static_cast<UnitObject*>(unit)));
}

void* CommonDlgInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&CreateCommonDlg);
  return ControlUnitOperation(operation);
}

}  // namespace forms
