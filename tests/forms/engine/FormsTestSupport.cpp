#include "tests/forms/engine/FormsTestSupport.h"

#include <cstring>
#include <map>
#include <sstream>

#include "commands/system/WindowCommands.h"
#include "forms/FormsEngine.h"
#include "forms/data/Archive.h"
#include "forms/data/FormData.h"
#include "forms/units/CommonProperties.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"

namespace formtest {

using namespace forms;

// ---- Journal ------------------------------------------------------------------------------

std::vector<std::string>& Journal() {
  static std::vector<std::string> lines;
  return lines;
}

void Note(const std::string& line) {
  Journal().push_back(line);
}

std::vector<std::string> Lines(std::initializer_list<const char*> prefixes) {
  std::vector<std::string> out;
  for (const std::string& line : Journal()) {
    for (const char* prefix : prefixes) {
      if (line.rfind(prefix, 0) == 0) {
        out.push_back(line);
        break;
      }
    }
  }
  return out;
}

std::string UnitName(UnitId id) {
  if (IsOwnUnitId(id)) return "w";
  std::string prefix = IsMenuItemId(id) ? "m" : IsWindowId(id) ? "W" : "u";
  return prefix + std::to_string(IdSerial(id));
}

// ---- Handlers -----------------------------------------------------------------------------

namespace {

struct Scripts {
  std::map<uint32_t, std::optional<uint64_t>> results;
  std::map<uint32_t, std::function<void()>> actions;
};

Scripts& HandlerScripts() {
  static Scripts scripts;
  return scripts;
}

template <uint32_t I>
rt::HandlerResult Handler(const uint32_t* words, int32_t count) {
  std::ostringstream line;
  line << "handler " << I << " (";
  for (int32_t i = 0; i < count; ++i) line << (i != 0 ? "," : "") << static_cast<int32_t>(words[i]);
  line << ")";
  uint32_t source[2] = {};
  if (rt::CurrentEventSource(source)) line << " src " << UnitName(source[1]);
  Note(line.str());
  Scripts& s = HandlerScripts();
  if (auto action = s.actions.find(I); action != s.actions.end() && action->second) {
    std::function<void()> run = action->second;
    run();
  }
  rt::HandlerResult result;
  if (auto it = s.results.find(I); it != s.results.end() && it->second) {
    result.returned = true;
    result.value = *it->second;
  }
  return result;
}

template <uint32_t... I>
constexpr std::array<rt::HandlerEntry, sizeof...(I)> MakeTable(
    std::integer_sequence<uint32_t, I...>) {
  return {rt::HandlerEntry{&Handler<I>}...};
}

const auto kTable = MakeTable(std::make_integer_sequence<uint32_t, kHandlerCount>());

}  // namespace

const rt::HandlerEntry* HandlerTable() {
  return kTable.data();
}
void ScriptResult(uint32_t handler, std::optional<uint64_t> result) {
  HandlerScripts().results[handler] = result;
}
void ScriptAction(uint32_t handler, std::function<void()> action) {
  HandlerScripts().actions[handler] = std::move(action);
}
void ClearHandlerScripts() {
  HandlerScripts().results.clear();
  HandlerScripts().actions.clear();
}
int32_t Offset(uint32_t handler) {
  return rt::HandlerOffset(handler);
}

// ---- Test unit types ----------------------------------------------------------------------

namespace {

constexpr char kProbeClass[] = "VelmoraProbe";
constexpr UINT kTabGetSelection = 0x130B;

class ProbeUnit : public UnitObject {
 public:
  ProbeUnit(uint32_t windowId, uint32_t unitId, uint32_t flags, std::string caption, LOGFONTA font,
            bool hasFont, uint32_t style)
      : UnitObject(windowId, unitId),
        flags_(flags),
        caption_(std::move(caption)),
        font_(font),
        hasFont_(hasFont),
        style_(style) {}

  bool LetsWindowDrag() const override { return (flags_ & kProbeDrags) != 0; }

  uint32_t flags_;
  std::string caption_;
  LOGFONTA font_;
  bool hasFont_;
  uint32_t style_;
  int page_ = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case kMsgUnitCreated:
        Note("806F " + UnitName(UnitId()));
        return 0;
      case kMsgWindowUnitsCreated:
        Note("8004 " + UnitName(UnitId()));
        return 0;
      case kMsgUnitsShown:
        Note("8076 " + UnitName(UnitId()));
        return 0;
      case WM_CHAR:
        Note("char " + UnitName(UnitId()) + " " + std::to_string(wParam));
        break;
      case WM_LBUTTONDOWN:
        Note("press " + UnitName(UnitId()));
        break;
      case WM_KEYDOWN:
        Note("key " + UnitName(UnitId()) + " " + std::to_string(wParam));
        break;
      case kTabGetSelection:
        return page_;
      case kTabGetSelection + 1:
        page_ = static_cast<int>(wParam);
        return 0;
      default:
        break;
    }
    return UnitObject::HandleMessage(message, wParam, lParam);
  }
};

ProbeUnit* AsProbe(UnitObject* unit) {
  return dynamic_cast<ProbeUnit*>(unit);
}

bool ParseProbe(std::span<const uint8_t> block, uint32_t* flags, std::string* caption,
                LOGFONTA* font, bool* hasFont, uint32_t* style) {
  if (block.empty()) return true;
  ArchiveReader r(block);
  uint32_t version = 0;
  Bytes fontBytes;
  if (!r.ReadU32(version) || version != 1 || !r.ReadU32(*flags) || !r.ReadU32(*style) ||
      !r.ReadText(*caption) || !r.ReadBuffer(fontBytes)) {
    return false;
  }
  *hasFont = fontBytes.size() == sizeof(LOGFONTA);
  if (*hasFont) std::memcpy(font, fontBytes.data(), sizeof *font);
  return true;
}

UnitObject* CreateProbe(const UnitCreateArgs& args) {
  static const bool registered = [] {
    WNDCLASSA c{};
    c.style = CS_DBLCLKS;
    c.lpfnWndProc = DefWindowProcA;
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
    c.lpszClassName = kProbeClass;
    return RegisterClassA(&c) != 0;
  }();
  if (!registered) return nullptr;
  uint32_t flags = 0;
  uint32_t style = 0;
  std::string caption;
  LOGFONTA font{};
  bool hasFont = false;
  if (!ParseProbe(args.typeBlock, &flags, &caption, &font, &hasFont, &style)) return nullptr;
  if ((flags & kProbeFailsCreate) != 0) return nullptr;
  HWND h = CreateWindowExA(0, kProbeClass, caption.c_str(), WS_CHILD | args.style, args.left,
                           args.top, args.width, args.height, args.parent,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(args.controlId)), nullptr,
                           nullptr);
  if (h == nullptr) return nullptr;
  auto* unit = new ProbeUnit(args.windowId, args.unitId, flags, caption, font, hasFont, style);
  unit->Attach(h);
  Note("create " + UnitName(args.unitId) + " id " + std::to_string(args.controlId) +
       ((args.style & WS_DISABLED) != 0 ? " disabled" : "") +
       ((args.style & WS_TABSTOP) != 0 ? " tabstop" : ""));
  return unit;
}

int32_t SetProbe(UnitObject* unit, int32_t index, const PropertyValue& value, uint32_t*) {
  ProbeUnit* p = AsProbe(unit);
  if (p == nullptr) return 0;
  switch (index + 8) {
    case kProbeCaption:
      p->caption_ = static_cast<const char*>(value.data);
      SetWindowTextA(p->Handle(), p->caption_.c_str());
      return 0;
    case kProbeStyle:
      p->style_ = static_cast<uint32_t>(value.word);
      return 1;
    case kProbeFont:
      if (value.size != sizeof(LOGFONTA)) return 0;
      std::memcpy(&p->font_, value.data, sizeof(LOGFONTA));
      p->hasFont_ = true;
      return 0;
    case kProbeDefault:
      p->flags_ =
          value.word != 0 ? p->flags_ | kProbeDefaultButton : p->flags_ & ~kProbeDefaultButton;
      return 0;
    default:
      return 0;
  }
}

int32_t GetProbe(UnitObject* unit, int32_t index, PropertyValue* out) {
  ProbeUnit* p = AsProbe(unit);
  if (p == nullptr) return 0;
  switch (index + 8) {
    case kProbeCaption:
      out->data = p->caption_.c_str();
      return 1;
    case kProbeStyle:
      out->word = p->style_;
      return 1;
    case kProbeFont:
      if (!p->hasFont_) return 0;
      out->data = &p->font_;
      out->size = sizeof(LOGFONTA);
      return 1;
    case kProbeDefault:
      out->word = (p->flags_ & kProbeDefaultButton) != 0 ? 1 : 0;
      return 1;
    default:
      return 0;
  }
}

bool GetProbeData(UnitObject* unit, std::vector<uint8_t>* block) {
  ProbeUnit* p = AsProbe(unit);
  if (p == nullptr) return false;
  *block = ProbeBlock(p->flags_, p->caption_, p->hasFont_ ? &p->font_ : nullptr, p->style_);
  return true;
}

void ListProbeTexts(UnitObject* unit, TextCallback callback, intptr_t user) {
  if (ProbeUnit* p = AsProbe(unit)) callback(p->caption_.c_str(), user);
}

int32_t ProbeIsDefault(UnitObject* unit) {
  ProbeUnit* p = AsProbe(unit);
  return p != nullptr && (p->flags_ & kProbeDefaultButton) != 0 ? 1 : 0;
}

int32_t ProbeFilter(UnitObject* unit, MSG* message) {
  ProbeUnit* p = AsProbe(unit);
  if (p == nullptr || (p->flags_ & kProbeFiltersQ) == 0) return 0;
  return message->message == WM_KEYDOWN && message->wParam == 'Q' ? 1 : 0;
}

void* ProbeInterface(int32_t operation) {
  switch (operation) {
    case kOpCreate:
      return reinterpret_cast<void*>(&CreateProbe);
    case kOpSetProperty:
      return reinterpret_cast<void*>(&SetProbe);
    case kOpGetAllData:
      return reinterpret_cast<void*>(&GetProbeData);
    case kOpGetProperty:
      return reinterpret_cast<void*>(&GetProbe);
    case kOpListTexts:
      return reinterpret_cast<void*>(&ListProbeTexts);
    case kOpIsDefaultButton:
      return reinterpret_cast<void*>(&ProbeIsDefault);
    case kOpMessageFilter:
      return reinterpret_cast<void*>(&ProbeFilter);
    default:
      return nullptr;
  }
}

constexpr auto kProbeProperties = WithCommonProperties({
    {nullptr, "caption", nullptr, 1005, 0},
    {nullptr, "style", nullptr, 1001, 0},
    {nullptr, "font", nullptr, 1013, 0},
    {nullptr, "default", nullptr, 1003, 0},
});

constexpr rt::DataTypeDescriptor Probe(uint32_t state) {
  return {"probe",
          "Probe",
          nullptr,
          state,
          static_cast<uint32_t>(kProbeProperties.size()),
          kProbeProperties.data(),
          1,
          0,
          &ProbeInterface};
}

const rt::DataTypeDescriptor kProbe = Probe(rt::kTypeStateWindowed);
const rt::DataTypeDescriptor kPagedProbe =
    Probe(rt::kTypeStateWindowed | rt::kTypeStatePaged | rt::kTypeStateMovesChildren);
const rt::DataTypeDescriptor kHiddenProbe = Probe(rt::kTypeStateWindowed | rt::kTypeStateNonVisual);
const rt::DataTypeDescriptor kObject = Probe(0);

// The window type with the set-up messages noted, so that their order can be checked.
class JournalWindow : public WindowUnit {
 public:
  using WindowUnit::WindowUnit;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kMsgUnitCreated) Note("806F w");
    if (message == kMsgWindowUnitsCreated) Note("8004 w");
    if (message == kMsgUnitsShown) Note("8076 w");
    return WindowUnit::HandleMessage(message, wParam, lParam);
  }
};

UnitObject* CreateJournalWindow(const UnitCreateArgs& args) {
  Note("create w");
  return WindowUnit::CreateWith(args, [](uint32_t w, uint32_t u, TypeBlock p) -> WindowUnit* {
    return new JournalWindow(w, u, std::move(p));
  });
}

void* JournalWindowInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&CreateJournalWindow);
  return WindowTypeDescriptor()->interfaceRoutine(operation);
}

const rt::DataTypeDescriptor kJournalWindow = [] {
  rt::DataTypeDescriptor d = *WindowTypeDescriptor();
  d.interfaceRoutine = &JournalWindowInterface;
  return d;
}();

}  // namespace

Bytes ProbeBlock(uint32_t flags, const std::string& caption, const LOGFONTA* font, uint32_t style) {
  ArchiveWriter w;
  w.WriteU32(1);
  w.WriteU32(flags);
  w.WriteU32(style);
  w.WriteText(caption);
  if (font != nullptr) {
    w.WriteBuffer({reinterpret_cast<const uint8_t*>(font), sizeof *font});
  } else {
    w.WriteBuffer({});
  }
  return w.Take();
}

void RegisterProbeTypes() {
  RegisterUnitType(kProbeType, &kProbe);
  RegisterUnitType(kPagedProbeType, &kPagedProbe);
  RegisterUnitType(kHiddenProbeType, &kHiddenProbe);
  RegisterUnitType(kObjectType, &kObject);
  RegisterUnitType(kTypeWindow, &kJournalWindow);
}

// ---- Forms --------------------------------------------------------------------------------

TestForm::TestForm(uint32_t serial, const std::string& caption)
    : properties_(*FindTypeBlockLayout(kTypeWindow)) {
  image_.windowId = WindowIdOf(serial);
  image_.units.push_back({OwnUnitOf(serial), {}});
  window_.type = kTypeWindow;
  window_.left = 50;
  window_.top = 50;
  window_.width = 300;
  window_.height = 200;
  window_.stateFlags = kUnitVisible;
  properties_.SetText(kWindowCaption, caption);
}

UnitRecordFields& TestForm::AddUnit(uint32_t serial, uint32_t type, int left, int top, int width,
                                    int height, uint32_t probeFlags, const std::string& caption) {
  UnitRecordFields f;
  f.type = type;
  f.name = "unit" + std::to_string(serial);
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  f.stateFlags = kUnitVisible | kUnitTabStop;
  f.typeBlock = ProbeBlock(probeFlags, caption);
  units_.emplace_back(UnitIdOf(serial), std::move(f));
  return units_.back().second;
}

MenuItemFields& TestForm::AddMenuItem(uint32_t serial, uint32_t level, const std::string& caption) {
  MenuItemFields f;
  f.level = level;
  f.caption = caption;
  menu_.emplace_back(MenuIdOf(serial), std::move(f));
  return menu_.back().second;
}

WindowImage TestForm::Image() const {
  WindowImage image = image_;
  UnitRecordFields window = window_;
  window.typeBlock = properties_.Write();
  image.units[0].record = BuildUnitRecord(window);
  for (const auto& [id, fields] : units_) image.units.push_back({id, BuildUnitRecord(fields)});
  for (const auto& [id, fields] : menu_) image.units.push_back({id, BuildMenuItemRecord(fields)});
  return image;
}

void ReadForms(const std::vector<TestForm>& forms) {
  std::vector<WindowImage> images;
  for (const TestForm& f : forms) images.push_back(f.Image());
  Bytes data = BuildFormData(images);
  ASSERT_TRUE(
      ReadFormData(data.data(), static_cast<uint32_t>(data.size()), HandlerTable(), kHandlerCount));
}

void EngineTest::SetUp() {
  rt::InitRuntime(nullptr);
  InstallFormsEngine();
  RegisterProbeTypes();
  Journal().clear();
  ClearHandlerScripts();
  TakeHelpRequests();
  ASSERT_FALSE(rt::EventsSuppressed());
}

void EngineTest::TearDown() {
  DestroyAllWindows();
  platform::testing::RunUntilIdle();
  LoadedForms().Clear();
  ClearHandlerScripts();
  RegisterUnitType(kTypeWindow, WindowTypeDescriptor());
  EXPECT_FALSE(rt::EventsSuppressed());
}

bool EngineTest::Load(UnitId windowId, bool modal, void* parent) {
  cmd::LoadWindowRequest request{static_cast<intptr_t>(windowId),
                                 reinterpret_cast<intptr_t>(parent), modal ? 1 : 0};
  return rt::RuntimeNotify(2005, reinterpret_cast<intptr_t>(&request), 0) == 0;
}

HWND EngineTest::WindowHandle(UnitId windowId) {
  FormTemplate* form = FindTemplate(windowId);
  WindowUnit* window = form != nullptr ? LiveWindow(*form) : nullptr;
  return window != nullptr ? window->Handle() : nullptr;
}

HWND EngineTest::UnitHandle(UnitId windowId, UnitId unitId) {
  FormTemplate* form = FindLoadedWindow(windowId);
  if (form == nullptr) return nullptr;
  std::optional<size_t> index = form->FindUnit(unitId);
  UnitObject* unit = index ? LiveUnit(*form, *index) : nullptr;
  return unit != nullptr ? unit->Handle() : nullptr;
}

FormTemplate& EngineTest::Template(UnitId windowId) {
  return *FindTemplate(windowId);
}

}  // namespace formtest
