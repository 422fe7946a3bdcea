#include "forms/units/statusbar/StatusBarUnit.h"

#include <algorithm>
#include <cstring>

#include "forms/units/PropertyLimits.h"
#include "platform/commctrl.h"

namespace forms {

namespace {

constexpr uint32_t kLastPartLook = 2;

UINT PartFlags(uint32_t look) {
  switch (look) {
    case 1:
      return SBT_NOBORDERS;
    case 2:
      return SBT_POPOUT;
    default:
      return 0;
  }
}

}  // namespace

std::vector<int32_t> ParsePartWidths(std::span<const uint8_t> data) {
  std::vector<int32_t> widths;
  for (size_t at = 0; at + 4 <= data.size() && widths.size() < kMaxStatusParts; at += 4) {
    const int32_t width =
        static_cast<int32_t>(uint32_t{data[at]} | uint32_t{data[at + 1]} << 8 |
                             uint32_t{data[at + 2]} << 16 | uint32_t{data[at + 3]} << 24);
    widths.push_back(width);
    if (width <= 0) break;
  }
  return widths;
}

std::vector<std::string> ParsePartTexts(std::span<const uint8_t> data) {
  std::vector<std::string> texts;
  size_t at = 0;
  while (at < data.size() && texts.size() < kMaxStatusParts) {
    const auto* begin = data.data() + at;
    const auto* end = static_cast<const uint8_t*>(std::memchr(begin, 0, data.size() - at));
    // A last text without its terminator still counts.
    const size_t length = end != nullptr ? static_cast<size_t>(end - begin) : data.size() - at;
    texts.emplace_back(reinterpret_cast<const char*>(begin), length);
    at += length + 1;
  }
  return texts;
}

std::vector<uint8_t> PartWidthsData(const std::vector<int32_t>& widths) {
  std::vector<uint8_t> data;
  for (int32_t w : widths) {
    const auto u = static_cast<uint32_t>(w);
    for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<uint8_t>(u >> shift));
  }
  return data;
}

std::vector<uint8_t> PartTextsData(const std::vector<std::string>& texts) {
  std::vector<uint8_t> data;
  for (const std::string& t : texts) {
    data.insert(data.end(), t.begin(), t.end());
    data.push_back(0);
  }
  return data;
}

StatusBarUnit::StatusBarUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
    : ControlUnit(windowId, unitId, std::move(properties), {0, kStatusFont}),
      widths_(ParsePartWidths(Properties().Data(kStatusParts))),
      texts_(ParsePartTexts(Properties().Data(kStatusTexts))) {}

UnitObject* StatusBarUnit::Create(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeStatusBar, args.typeBlock);
  if (!block) return nullptr;
  block->SetWord(kStatusPartLook, ClampChoice(block->Word(kStatusPartLook), kLastPartLook));
  const DWORD style = block->Logical(kStatusSizeGrip) ? SBARS_SIZEGRIP : 0;
  auto* made = static_cast<StatusBarUnit*>(
      CreateControlWindow(args, STATUSCLASSNAMEA, "", style, 0,
                          new StatusBarUnit(args.windowId, args.unitId, std::move(*block))));
  if (made != nullptr) {
    made->Apply(kStatusBackColor);
    made->ApplyParts();
  }
  return made;
}

size_t StatusBarUnit::PartCount() const {
  return std::max<size_t>(1, widths_.size());
}

void StatusBarUnit::ApplyParts() {
  std::vector<int> edges;
  int right = 0;
  for (int32_t width : widths_) {
    if (width <= 0) {
      edges.push_back(-1);
      break;
    }
    right = static_cast<int>(std::min<int64_t>(int64_t{right} + width, 0x7FFFFFFF));
    edges.push_back(right);
  }
  if (edges.empty()) edges.push_back(-1);
  SendMessageA(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  ApplyTexts();
}

void StatusBarUnit::ApplyTexts() {
  const UINT flags = PartFlags(Properties().Word(kStatusPartLook));
  for (size_t part = 0; part < PartCount(); ++part) {
    const char* text = part < texts_.size() ? texts_[part].c_str() : "";
    SendMessageA(Handle(), SB_SETTEXTA, part | flags, reinterpret_cast<LPARAM>(text));
  }
}

bool StatusBarUnit::SetPartText(int32_t part, std::string_view text) {
  if (part < 0 || static_cast<size_t>(part) >= PartCount()) return false;
  const auto index = static_cast<size_t>(part);
  if (texts_.size() <= index) texts_.resize(index + 1);
  texts_[index].assign(text.begin(), text.end());
  Properties().SetData(kStatusTexts, PartTextsData(texts_));
  const UINT flags = PartFlags(Properties().Word(kStatusPartLook));
  SendMessageA(Handle(), SB_SETTEXTA, index | flags,
               reinterpret_cast<LPARAM>(texts_[index].c_str()));
  return true;
}

int32_t StatusBarUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  PropertyValue limited = value;
  const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(value.data),
                                       value.data != nullptr ? value.size : 0);
  std::vector<uint8_t> normal;  // the data as the bar reads it, which is what it keeps
  switch (property) {
    case kStatusPartLook:
      limited.word = ClampChoice(value.word, kLastPartLook);
      break;
    case kStatusSizeGrip:
      limited.word = value.word != 0 ? 1 : 0;
      if (Properties().Word(property) == limited.word) return 0;
      break;
    case kStatusFont:
      // Only a whole font record or none (the default font) is a font.
      if (!bytes.empty() && bytes.size() != sizeof(LOGFONTA)) return 0;
      break;
    case kStatusParts:
      normal = PartWidthsData(ParsePartWidths(bytes));
      break;
    case kStatusTexts:
      normal = PartTextsData(ParsePartTexts(bytes));
      break;
    default:
      break;
  }
  if (property == kStatusParts || property == kStatusTexts) {
    limited.data = normal.data();
    limited.size = static_cast<uint32_t>(normal.size());
  }
  return ControlUnit::SetProperty(property, limited);
}

int32_t StatusBarUnit::Apply(uint32_t property) {
  const TypeBlock& p = Properties();
  switch (property) {
    case kStatusBackColor:
      SendMessageA(Handle(), SB_SETBKCOLOR, 0, static_cast<LPARAM>(p.Word(property)));
      return 0;
    case kStatusPartLook:
      ApplyTexts();
      return 0;
    case kStatusSizeGrip:
      return 1;
    case kStatusFont:
      SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
      return 0;
    case kStatusParts:
      widths_ = ParsePartWidths(p.Data(property));
      ApplyParts();
      return 0;
    case kStatusTexts:
      texts_ = ParsePartTexts(p.Data(property));
      ApplyTexts();
      return 0;
    default:
      return 0;
  }
}

void StatusBarUnit::ListTexts(TextCallback callback, intptr_t user) {
  if (callback == nullptr) return;
  for (const std::string& text : texts_) callback(text.c_str(), user);
  ControlUnit::ListTexts(callback, user);
}

void* StatusBarInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&StatusBarUnit::Create);
  return ControlUnitOperation(operation);
}

}  // namespace forms
