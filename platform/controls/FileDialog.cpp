// GetOpenFileNameA and GetSaveFileNameA: a folder list, a file name box and a file type
// box, built from the system controls.
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/controls/DialogState.h"
#include "platform/controls/FileDialogModel.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel32.h"
#include "platform/user/AutomationHooks.h"

namespace platform::controls {
namespace {

constexpr int kIdFolder = 1001;
constexpr int kIdList = 1002;
constexpr int kIdName = 1003;
constexpr int kIdType = 1004;

constexpr const char kOpenTitle[] = "\xB4\xF2\xBF\xAA";          // 打开
constexpr const char kSaveTitle[] = "\xC1\xED\xB4\xE6\xCE\xAA";  // 另存为
constexpr const char kLookIn[] = "\xB2\xE9\xD5\xD2\xB7\xB6\xCE\xA7(&I):";
constexpr const char kNameLabel[] = "\xCE\xC4\xBC\xFE\xC3\xFB(&N):";
constexpr const char kTypeLabel[] = "\xCE\xC4\xBC\xFE\xC0\xE0\xD0\xCD(&T):";
constexpr const char kOpenButton[] = "\xB4\xF2\xBF\xAA(&O)";
constexpr const char kSaveButton[] = "\xB1\xA3\xB4\xE6(&S)";
constexpr const char kCancelButton[] = "\xC8\xA1\xCF\xFB";
constexpr const char kFileMissing[] =
    "\n\xCE\xC4\xBC\xFE\xB2\xBB\xB4\xE6\xD4\xDA\xA1\xA3\n\xC7\xEB\xBC\xEC\xB2\xE9\xCE\xC4\xBC\xFE"
    "\xC3\xFB\xCA\xC7\xB7\xF1\xD5\xFD\xC8\xB7\xA1\xA3";
constexpr const char kPathMissing[] =
    "\n\xC2\xB7\xBE\xB6\xB2\xBB\xB4\xE6\xD4\xDA\xA1\xA3\n\xC7\xEB\xBC\xEC\xB2\xE9\xC2\xB7\xBE\xB6"
    "\xCA\xC7\xB7\xF1\xD5\xFD\xC8\xB7\xA1\xA3";
constexpr const char kReplace[] =
    " \xD2\xD1\xB4\xE6\xD4\xDA\xA1\xA3\n\xD2\xAA\xCC\xE6\xBB\xBB"
    "\xCB\xFC\xC2\xF0?";
constexpr const char kCreate[] =
    "\n\xB4\xCB\xCE\xC4\xBC\xFE\xB2\xBB\xB4\xE6\xD4\xDA\xA1\xA3\n\xD2\xAA\xB4\xB4\xBD\xA8\xB8\xC3"
    "\xCE\xC4\xBC\xFE\xC2\xF0?";
constexpr const char kInvalidName[] = "\n\xCE\xC4\xBC\xFE\xC3\xFB\xCE\xDE\xD0\xA7\xA1\xA3";

std::string ToUtf8(const std::string& gbk) {
  return platform::kernel::GbkToUtf8(gbk, false).value_or(std::string());
}

struct FileDialog {
  bool save = false;
  DWORD flags = 0;
  std::string title;
  LPCSTR defExt = nullptr;
  std::vector<FileFilter> filters;
  int filterIndex = 0;                     // 0-based into filters
  std::vector<std::string> typedPatterns;  // a wildcard typed into the name box
  std::string folder;
  std::vector<FolderEntry> entries;  // as listed, ".." first below the root
  std::string chosen;
  HWND dialog = nullptr;

  std::vector<std::string> Patterns() const {
    if (!typedPatterns.empty()) return typedPatterns;
    if (filterIndex >= 0 && filterIndex < static_cast<int>(filters.size()))
      return filters[static_cast<size_t>(filterIndex)].patterns;
    return {"*"};
  }

  void Refresh() {
    entries.clear();
    if (folder != "/") entries.push_back({"..", true});
    for (FolderEntry& entry : ListFolder(folder, Patterns())) entries.push_back(std::move(entry));
    HWND list = GetDlgItem(dialog, kIdList);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const FolderEntry& entry : entries) {
      std::string shown = entry.folder ? "[" + entry.nameGbk + "]" : entry.nameGbk;
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
    SetDlgItemTextA(dialog, kIdFolder, folder.c_str());
  }

  void Enter(const std::string& path) {
    folder = path;
    Refresh();
  }

  int Ask(const std::string& text, UINT type) {
    return MessageBoxA(dialog, text.c_str(), title.c_str(), type);
  }

  void Activate(int index) {
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    const FolderEntry& entry = entries[static_cast<size_t>(index)];
    if (entry.folder) {
      Enter(entry.nameGbk == ".." ? ParentOf(folder) : JoinPath(folder, entry.nameGbk));
      return;
    }
    SetDlgItemTextA(dialog, kIdName, entry.nameGbk.c_str());
    Confirm();
  }

  void Confirm() {
    HWND list = GetDlgItem(dialog, kIdList);
    int selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    bool folderSelected = selected >= 0 && selected < static_cast<int>(entries.size()) &&
                          entries[static_cast<size_t>(selected)].folder;
    // Enter on a folder in the list opens the folder.
    if (GetFocus() == list && folderSelected) {
      Activate(selected);
      return;
    }
    char buffer[MAX_PATH * 4];
    GetDlgItemTextA(dialog, kIdName, buffer, sizeof(buffer));
    std::string typed = buffer;
    size_t begin = typed.find_first_not_of(" \"");
    size_t end = typed.find_last_not_of(" \"");
    typed = begin == std::string::npos ? std::string() : typed.substr(begin, end - begin + 1);
    if (typed.empty()) {
      if (folderSelected) Activate(selected);
      return;
    }
    if (!IsValidGbk(typed)) {
      Ask(typed + kInvalidName, MB_OK | MB_ICONWARNING);
      return;
    }
    if (typed.find_first_of("*?") != std::string::npos) {
      // A wildcard typed as the name filters the list instead.
      size_t nameAt = NameOffset(typed);
      if (nameAt > 0) {
        std::string target = JoinPath(folder, typed.substr(0, nameAt));
        if (IsFolder(target)) folder = target;
      }
      typedPatterns = SplitPatterns(typed.substr(nameAt));
      Refresh();
      return;
    }
    std::string path = JoinPath(folder, typed);
    if (IsFolder(path)) {
      SetDlgItemTextA(dialog, kIdName, "");
      Enter(path);
      return;
    }
    if (AttributesOf(path) == INVALID_FILE_ATTRIBUTES) path = WithDefaultExtension(path, defExt);
    std::string name = path.substr(NameOffset(path));
    if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) != 0 && !IsFolder(ParentOf(path))) {
      Ask(name + kPathMissing, MB_OK | MB_ICONWARNING);
      return;
    }
    DWORD attributes = AttributesOf(path);
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      Enter(path);
      return;
    }
    if (!save && (flags & OFN_FILEMUSTEXIST) != 0 && !exists) {
      Ask(name + kFileMissing, MB_OK | MB_ICONWARNING);
      return;
    }
    if (!exists && (flags & OFN_CREATEPROMPT) != 0 &&
        Ask(name + kCreate, MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
    if (save && exists && (flags & OFN_OVERWRITEPROMPT) != 0 &&
        Ask(name + kReplace, MB_YESNO | MB_ICONWARNING) != IDYES)
      return;
    chosen = path;
    EndDialog(dialog, IDOK);
  }

  std::optional<LRESULT> Handle(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND) return std::nullopt;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    switch (id) {
      case kIdList: {
        int index = static_cast<int>(SendDlgItemMessageA(dialog, kIdList, LB_GETCURSEL, 0, 0));
        if (code == LBN_SELCHANGE && index >= 0 && index < static_cast<int>(entries.size()) &&
            !entries[static_cast<size_t>(index)].folder)
          SetDlgItemTextA(dialog, kIdName, entries[static_cast<size_t>(index)].nameGbk.c_str());
        if (code == LBN_DBLCLK) Activate(index);
        return 0;
      }
      case kIdType:
        if (code == CBN_SELCHANGE) {
          int index = static_cast<int>(SendDlgItemMessageA(dialog, kIdType, CB_GETCURSEL, 0, 0));
          if (index >= 0) filterIndex = index;
          typedPatterns.clear();
          Refresh();
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

bool Build(FileDialog& state, HWND owner, const std::string& initialName) {
  auto shared = std::shared_ptr<FileDialog>(&state, [](FileDialog*) {});
  HWND dialog = CreateDialogWindow(
      owner, state.title.c_str(), 440, 306, WS_SYSMENU, 0,
      [shared](HWND h, UINT m, WPARAM w, LPARAM l) { return shared->Handle(h, m, w, l); });
  if (dialog == nullptr) return false;
  state.dialog = dialog;
  AddDialogControl(dialog, "STATIC", kLookIn, SS_LEFT, 10, 13, 86, 16, -1);
  AddDialogControl(dialog, "STATIC", state.folder.c_str(), SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS,
                   100, 13, 330, 16, kIdFolder);
  AddDialogControl(dialog, "LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 10, 36,
                   420, 192, kIdList);
  AddDialogControl(dialog, "STATIC", kNameLabel, SS_LEFT, 10, 243, 86, 16, -1);
  HWND name = AddDialogControl(dialog, "EDIT", initialName.c_str(),
                               ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 100, 240, 240, 22, kIdName);
  AddDialogControl(dialog, "BUTTON", state.save ? kSaveButton : kOpenButton,
                   BS_DEFPUSHBUTTON | WS_TABSTOP, 350, 239, 80, 24, IDOK);
  AddDialogControl(dialog, "STATIC", kTypeLabel, SS_LEFT, 10, 275, 86, 16, -1);
  HWND types = AddDialogControl(dialog, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP, 100, 272,
                                240, 200, kIdType);
  AddDialogControl(dialog, "BUTTON", kCancelButton, BS_PUSHBUTTON | WS_TABSTOP, 350, 271, 80, 24,
                   IDCANCEL);
  for (const FileFilter& filter : state.filters)
    SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.description.c_str()));
  if (state.filters.empty()) EnableWindow(types, FALSE);
  SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(state.filterIndex), 0);
  SendMessageA(dialog, DM_SETDEFID, IDOK, 0);
  if (auto dialogState = DialogStateOf(dialog)) dialogState->lastFocus = name;
  state.Refresh();
  return true;
}

BOOL RunFileDialog(LPOPENFILENAMEA ofn, bool save) {
  SetCommonDialogError(0);
  if (ofn == nullptr) {
    SetCommonDialogError(CDERR_INITIALIZATION);
    return FALSE;
  }
  if (ofn->lStructSize != sizeof(OPENFILENAMEA) &&
      ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A) {
    SetCommonDialogError(CDERR_STRUCTSIZE);
    return FALSE;
  }
  if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
    SetCommonDialogError(CDERR_INITIALIZATION);
    return FALSE;
  }

  FileDialog state;
  state.save = save;
  state.flags = ofn->Flags;
  if (state.flags & OFN_FILEMUSTEXIST) state.flags |= OFN_PATHMUSTEXIST;
  state.title = ofn->lpstrTitle != nullptr && ofn->lpstrTitle[0] != '\0'
                    ? std::string(ofn->lpstrTitle)
                    : std::string(save ? kSaveTitle : kOpenTitle);
  state.defExt = ofn->lpstrDefExt;
  state.filters = ParseFilter(ofn->lpstrFilter);
  if (ofn->nFilterIndex >= 1 && ofn->nFilterIndex <= state.filters.size())
    state.filterIndex = static_cast<int>(ofn->nFilterIndex) - 1;

  // The initial name may carry a folder; the initial folder wins over it, and a folder
  // that does not exist falls back to the current one.
  std::string initialName(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
  std::string nameFolder;
  size_t nameAt = NameOffset(initialName);
  if (nameAt > 0) {
    nameFolder = IsAbsolute(initialName) ? NormalizePath(initialName.substr(0, nameAt))
                                         : JoinPath(CurrentFolder(), initialName.substr(0, nameAt));
    initialName = initialName.substr(nameAt);
  }
  if (ofn->lpstrInitialDir != nullptr && ofn->lpstrInitialDir[0] != '\0' &&
      IsFolder(JoinPath(CurrentFolder(), ofn->lpstrInitialDir)))
    state.folder = JoinPath(CurrentFolder(), ofn->lpstrInitialDir);
  else if (!nameFolder.empty() && IsFolder(nameFolder))
    state.folder = nameFolder;
  else
    state.folder = CurrentFolder();

  platform::user::FileDialogRecord record;
  record.save = save;
  record.titleUtf8 = ToUtf8(state.title);
  record.folderUtf8 = ToUtf8(state.folder);
  record.flags = ofn->Flags;

  bool confirmed = false;
  if (auto scripted = platform::user::ActiveDialogScript().TakeFileDialogAnswer()) {
    if (*scripted) {
      state.chosen = WithDefaultExtension(JoinPath(state.folder, **scripted), state.defExt);
      confirmed = true;
    }
  } else if (DialogsAreWindows()) {
    HWND owner = ofn->hwndOwner != nullptr && IsWindow(ofn->hwndOwner)
                     ? GetAncestor(ofn->hwndOwner, GA_ROOT)
                     : nullptr;
    if (!Build(state, owner, initialName)) {
      SetCommonDialogError(CDERR_DIALOGFAILURE);
      platform::user::ActiveDialogScript().FileDialogShown(record);
      return FALSE;
    }
    ModalOptions options;
    if (owner != nullptr) options.disable.push_back(owner);
    confirmed = RunModalDialog(state.dialog, owner, options) == IDOK && !state.chosen.empty();
  } else {
    // Nobody could answer: say so where a person running the program can read it.
    std::fprintf(stderr, "%s\n", record.titleUtf8.c_str());
    std::fflush(stderr);
  }

  BOOL result = FALSE;
  if (confirmed && WriteFileResult(*ofn, state.chosen)) {
    if (!state.filters.empty()) ofn->nFilterIndex = static_cast<DWORD>(state.filterIndex + 1);
    if ((ofn->Flags & OFN_NOCHANGEDIR) == 0) SetCurrentDirectoryA(ParentOf(state.chosen).c_str());
    record.confirmed = true;
    record.pathUtf8 = ToUtf8(state.chosen);
    result = TRUE;
  }
  platform::user::ActiveDialogScript().FileDialogShown(record);
  return result;
}

}  // namespace
}  // namespace platform::controls

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) {
  return platform::controls::RunFileDialog(ofn, false);
}

BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) {
  return platform::controls::RunFileDialog(ofn, true);
}
