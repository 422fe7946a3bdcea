// Compiles window sources into form data. Every value passes through one checked
// conversion, and every failure names where it happened: the file, then the window, then
// the unit or menu item, then what is wrong.
#include "tools/formc/FormCompiler.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>

#include "forms/data/FormTemplate.h"
#include "forms/data/TypeBlock.h"
#include "forms/data/UnitId.h"
#include "forms/data/UnitRecord.h"
#include "platform/wingdi.h"

namespace formc {
namespace {

using Json = nlohmann::ordered_json;

// The list to walk when a source leaves a list out (a reference, so that pointers into the
// list stay valid for the whole compilation).
const Json& ListOrEmpty(const Json* list) {
  static const Json empty = Json::array();
  return list ? *list : empty;
}

std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

// Where the compiler is, for messages.
struct Place {
  std::string file;
  std::string window;
  std::string unit;

  [[noreturn]] void Fail(const std::string& what) const {
    std::string message = file;
    if (!window.empty()) message += ": window " + window;
    if (!unit.empty()) message += ", " + unit;
    throw CompileError(message + ": " + what);
  }
};

std::string Gbk(const std::string& utf8, const Place& at, const char* what) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) at.Fail("cannot convert texts to GBK");
  std::string out(utf8.size() * 2 + 4, '\0');
  char* src = const_cast<char*>(utf8.data());
  size_t srcLeft = utf8.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) at.Fail(std::string(what) + " has a character GBK cannot hold");
  out.resize(out.size() - dstLeft);
  if (out.find('\0') != std::string::npos) at.Fail(std::string(what) + " holds a zero character");
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

const Json* Member(const Json& object, const char* key) {
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

int64_t Integer(const Json& value, const Place& at, const std::string& what) {
  if (value.is_boolean()) return value.get<bool>() ? 1 : 0;
  if (value.is_number_integer()) {
    int64_t v = value.get<int64_t>();
    if (v >= INT32_MIN && v <= static_cast<int64_t>(UINT32_MAX)) return v;
  }
  if (value.is_number_unsigned() && value.get<uint64_t>() <= UINT32_MAX)
    return static_cast<int64_t>(value.get<uint64_t>());
  at.Fail(what + " must be a 32-bit integer");
}

int32_t Int32(const Json& value, const Place& at, const std::string& what) {
  int64_t v = Integer(value, at, what);
  if (v > INT32_MAX) at.Fail(what + " must be a signed 32-bit integer");
  return static_cast<int32_t>(v);
}

int32_t OptionalInt(const Json& object, const char* key, int32_t fallback, const Place& at) {
  const Json* v = Member(object, key);
  return v ? Int32(*v, at, std::string("'") + key + "'") : fallback;
}

bool OptionalBool(const Json& object, const char* key, bool fallback, const Place& at) {
  const Json* v = Member(object, key);
  if (!v) return fallback;
  if (!v->is_boolean()) at.Fail(std::string("'") + key + "' must be true or false");
  return v->get<bool>();
}

std::string OptionalText(const Json& object, const char* key, const Place& at) {
  const Json* v = Member(object, key);
  if (!v) return {};
  if (!v->is_string()) at.Fail(std::string("'") + key + "' must be a text");
  return Gbk(v->get<std::string>(), at, key);
}

// Ids are written as hexadecimal texts ("0x16013D4B") or as numbers.
uint32_t Id(const Json& value, const Place& at, const std::string& what) {
  if (value.is_string()) {
    const std::string& text = value.get<std::string>();
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno != 0 || v > UINT32_MAX)
      at.Fail(what + " '" + text + "' is not an id");
    return static_cast<uint32_t>(v);
  }
  if (value.is_number_unsigned() && value.get<uint64_t>() <= UINT32_MAX)
    return static_cast<uint32_t>(value.get<uint64_t>());
  at.Fail(what + " must be an id such as \"0x16000001\"");
}

void CheckObject(const Json& value, const std::set<std::string>& keys, const Place& at,
                 const std::string& what) {
  if (!value.is_object()) at.Fail(what + " must be an object");
  for (const auto& [key, _] : value.items()) {
    if (!keys.count(key)) at.Fail("unknown key '" + key + "' in " + what);
  }
}

class Compiler {
 public:
  explicit Compiler(const std::vector<std::string>& handlers) : handlers_(handlers) {}

  forms::WindowImage CompileWindow(const SourceFile& source);
  uint32_t LastId() const { return lastId_; }
  std::vector<std::string> Inputs() const { return {inputs_.begin(), inputs_.end()}; }

 private:
  void Claim(uint32_t id, const Place& at);
  forms::Bytes FileBytes(const Json& value, const Place& at, const std::string& what);
  forms::Bytes Font(const Json& value, const Place& at);
  forms::Bytes TextValue(const Json& value, const Place& at, const std::string& what);
  forms::Bytes Cursor(const Json& object, const Place& at);
  uint32_t Word(const forms::BlockField& field, const Json& value, const Place& at);
  forms::Bytes TypeBlock(forms::UnitTypeId type, const Json& object, const Place& at);
  std::vector<forms::EventBinding> Bindings(const Json& object, const Place& at);
  int32_t HandlerOffset(const Json& name, const Place& at);
  forms::UnitRecordFields UnitFields(const Json& object, forms::UnitTypeId type, const Place& at);

  const std::vector<std::string>& handlers_;
  std::filesystem::path baseDir_;
  std::map<uint32_t, std::string> serials_;  // serial → where it was first used
  std::set<std::string> inputs_;
  uint32_t lastId_ = 0;
};

void Compiler::Claim(uint32_t id, const Place& at) {
  std::string where = at.file + (at.unit.empty() ? " window " + at.window : " " + at.unit);
  auto [it, added] = serials_.emplace(forms::IdSerial(id), where);
  if (!added) at.Fail("duplicate id " + Hex(id) + " (serial already used by " + it->second + ")");
  lastId_ = std::max(lastId_, forms::IdSerial(id));
}

forms::Bytes Compiler::FileBytes(const Json& value, const Place& at, const std::string& what) {
  if (value.is_array()) {
    forms::Bytes bytes;
    for (const Json& b : value) {
      int64_t v = Integer(b, at, what + " byte");
      if (v < 0 || v > 255) at.Fail(what + " bytes must be 0-255");
      bytes.push_back(static_cast<uint8_t>(v));
    }
    return bytes;
  }
  CheckObject(value, {"file", "words", "texts"}, at, what);
  // Lists that a unit keeps in its data: 32-bit little-endian words, or zero-terminated texts.
  if (const Json* words = Member(value, "words")) {
    if (!words->is_array()) at.Fail(what + " words must be a list of numbers");
    forms::Bytes bytes;
    for (const Json& w : *words) {
      const auto v = static_cast<uint32_t>(Int32(w, at, what + " word"));
      for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
    }
    return bytes;
  }
  if (const Json* texts = Member(value, "texts")) {
    if (!texts->is_array()) at.Fail(what + " texts must be a list of texts");
    forms::Bytes bytes;
    for (const Json& t : *texts) {
      if (!t.is_string()) at.Fail(what + " texts must be a list of texts");
      const std::string gbk = Gbk(t.get<std::string>(), at, what.c_str());
      bytes.insert(bytes.end(), gbk.begin(), gbk.end());
      bytes.push_back(0);
    }
    return bytes;
  }
  const Json* file = Member(value, "file");
  if (!file || !file->is_string())
    at.Fail(what +
            " needs {\"file\": \"path\"}, {\"words\": [...]}, {\"texts\": [...]} or a byte list");
  std::filesystem::path path = baseDir_ / file->get<std::string>();
  std::ifstream in(path, std::ios::binary);
  if (!in) at.Fail(what + ": cannot read " + path.string());
  inputs_.insert(std::filesystem::absolute(path).lexically_normal().string());
  return forms::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A text property: a string (converted to GBK), or {"file": path} whose bytes are already
// the stored text (a long text such as a library of lines is kept in its own file). A
// stored text ends at its first zero byte, so a file holding one is refused.
forms::Bytes Compiler::TextValue(const Json& value, const Place& at, const std::string& what) {
  if (value.is_string()) {
    const std::string gbk = Gbk(value.get<std::string>(), at, what.c_str());
    return forms::Bytes(gbk.begin(), gbk.end());
  }
  if (!value.is_object() || !Member(value, "file")) at.Fail(what + " must be a text");
  forms::Bytes bytes = FileBytes(value, at, what);
  if (std::find(bytes.begin(), bytes.end(), 0) != bytes.end())
    at.Fail(what + ": the file holds a zero byte");
  return bytes;
}

// A font as a LOGFONTA: face, size in points (on a 96-dpi screen) or a raw height, bold,
// italic, underline, strike-out, angle in tenths of a degree, character set.
forms::Bytes Compiler::Font(const Json& value, const Place& at) {
  CheckObject(value,
              {"face", "size", "height", "weight", "bold", "italic", "underline", "strikeOut",
               "angle", "charSet"},
              at, "a font");
  LOGFONTA font{};
  std::string face = OptionalText(value, "face", at);
  if (face.size() >= LF_FACESIZE) at.Fail("font face name longer than 31 bytes");
  std::memcpy(font.lfFaceName, face.data(), face.size());
  if (const Json* size = Member(value, "size")) {
    font.lfHeight = -static_cast<LONG>(std::lround(Int32(*size, at, "font size") * 96.0 / 72.0));
  }
  font.lfHeight = OptionalInt(value, "height", font.lfHeight, at);
  font.lfWeight = OptionalBool(value, "bold", false, at) ? FW_BOLD : FW_NORMAL;
  font.lfWeight = OptionalInt(value, "weight", font.lfWeight, at);
  font.lfItalic = OptionalBool(value, "italic", false, at);
  font.lfUnderline = OptionalBool(value, "underline", false, at);
  font.lfStrikeOut = OptionalBool(value, "strikeOut", false, at);
  font.lfEscapement = font.lfOrientation = OptionalInt(value, "angle", 0, at);
  // GB2312 unless told: the program's texts are GBK.
  font.lfCharSet = static_cast<BYTE>(OptionalInt(value, "charSet", 134, at));
  const auto* bytes = reinterpret_cast<const uint8_t*>(&font);
  return forms::Bytes(bytes, bytes + sizeof font);
}

// Colours: a number (0x00BBGGRR), "#RRGGBB", or "default" for the system colour.
uint32_t Colour(const Json& value, const Place& at, const std::string& what) {
  if (value.is_string()) {
    const std::string& text = value.get<std::string>();
    if (text == "default") return forms::kSystemDefaultColor;
    unsigned r, g, b;
    char extra;
    if (text.size() == 7 && std::sscanf(text.c_str(), "#%2x%2x%2x%c", &r, &g, &b, &extra) == 3)
      return r | (g << 8) | (b << 16);
    at.Fail(what + " '" + text + "' is not a colour (#RRGGBB or \"default\")");
  }
  return static_cast<uint32_t>(Integer(value, at, what));
}

uint32_t Compiler::Word(const forms::BlockField& field, const Json& value, const Place& at) {
  std::string what = std::string("property '") + field.name + "'";
  switch (field.typeCode) {
    case forms::kPropLogical:
      if (!value.is_boolean()) at.Fail(what + " must be true or false");
      return value.get<bool>() ? 1 : 0;
    case forms::kPropColor:
    case forms::kPropAlphaColor:
    case forms::kPropDefaultColor:
      return Colour(value, at, what);
    default:
      if (value.is_boolean()) at.Fail(what + " must be a number");
      return static_cast<uint32_t>(Integer(value, at, what));
  }
}

forms::Bytes Compiler::TypeBlock(forms::UnitTypeId type, const Json& object, const Place& at) {
  const forms::TypeBlockLayout* layout = forms::FindTypeBlockLayout(type);
  forms::TypeBlock block(*layout);
  const Json* properties = Member(object, "properties");
  if (!properties) return block.Write();
  if (!properties->is_object()) at.Fail("'properties' must be an object");
  for (const auto& [name, value] : properties->items()) {
    const forms::BlockField* field = nullptr;
    for (const auto& f : layout->fields) {
      if (f.property != forms::kKeptWord && SameName(f.name, name)) field = &f;
    }
    if (!field) at.Fail("unknown property '" + name + "' of type " + layout->englishName);
    size_t index = static_cast<size_t>(field - layout->fields.data());
    std::string what = "property '" + name + "'";
    switch (field->kind) {
      case forms::FieldKind::Word:
        block.SetWordAt(index, Word(*field, value, at));
        break;
      case forms::FieldKind::Text:
        block.SetDataAt(index, TextValue(value, at, what));
        break;
      case forms::FieldKind::Buffer:
        block.SetDataAt(index, field->typeCode == forms::kPropFont ? Font(value, at)
                                                                   : FileBytes(value, at, what));
        break;
    }
  }
  return block.Write();
}

int32_t Compiler::HandlerOffset(const Json& name, const Place& at) {
  if (name.is_null()) return forms::kNoHandler;
  if (!name.is_string()) at.Fail("a handler must be named by a text, or null for none");
  auto it = std::find(handlers_.begin(), handlers_.end(), name.get<std::string>());
  if (it == handlers_.end())
    at.Fail("unknown handler '" + name.get<std::string>() + "' (not in the handler list)");
  return rt::HandlerOffset(static_cast<uint32_t>(it - handlers_.begin()));
}

// Bindings keep their source order: the first binding of an event number is the one used.
std::vector<forms::EventBinding> Compiler::Bindings(const Json& object, const Place& at) {
  std::vector<forms::EventBinding> bindings;
  const Json* events = Member(object, "events");
  if (!events) return bindings;
  if (!events->is_object()) at.Fail("'events' must be an object of event number: handler");
  for (const auto& [key, handler] : events->items()) {
    char* end = nullptr;
    long event = std::strtol(key.c_str(), &end, 10);
    if (key.empty() || *end != '\0' || event < INT32_MIN || event > INT32_MAX)
      at.Fail("event '" + key + "' is not an event number");
    bindings.push_back({static_cast<int32_t>(event), HandlerOffset(handler, at)});
  }
  return bindings;
}

// Record cursor data: absent is the standard cursor (four zero bytes); a number is a
// standard cursor number; a file or a byte list is cursor data as it is.
forms::Bytes Compiler::Cursor(const Json& object, const Place& at) {
  const Json* cursor = Member(object, "cursor");
  if (!cursor) return forms::Bytes(4, 0);
  if (cursor->is_number()) {
    forms::Bytes bytes(4);
    forms::StoreU32(bytes.data(), static_cast<uint32_t>(Integer(*cursor, at, "'cursor'")));
    return bytes;
  }
  return FileBytes(*cursor, at, "'cursor'");
}

forms::UnitRecordFields Compiler::UnitFields(const Json& object, forms::UnitTypeId type,
                                             const Place& at) {
  forms::UnitRecordFields f;
  f.type = type;
  f.name = OptionalText(object, "name", at);
  f.remark = OptionalText(object, "remark", at);
  f.left = OptionalInt(object, "left", 0, at);
  f.top = OptionalInt(object, "top", 0, at);
  f.width = OptionalInt(object, "width", 0, at);
  f.height = OptionalInt(object, "height", 0, at);
  f.cursor = Cursor(object, at);
  f.tag = OptionalText(object, "tag", at);
  f.stateFlags = (OptionalBool(object, "visible", true, at) ? forms::kUnitVisible : 0) |
                 (OptionalBool(object, "disabled", false, at) ? forms::kUnitDisabled : 0) |
                 (OptionalBool(object, "tabStop", false, at) ? forms::kUnitTabStop : 0);
  f.bindings = Bindings(object, at);
  f.typeBlock = TypeBlock(type, object, at);
  return f;
}

const std::set<std::string> kRecordKeys = {"left",    "top",        "width",   "height",
                                           "tag",     "cursor",     "visible", "disabled",
                                           "tabStop", "properties", "events",  "remark"};

std::set<std::string> With(std::set<std::string> keys, std::initializer_list<const char*> more) {
  for (const char* k : more) keys.insert(k);
  return keys;
}

std::string Label(uint32_t id, const std::string& name) {
  return name.empty() ? Hex(id) : Hex(id) + " (" + name + ")";
}

forms::WindowImage Compiler::CompileWindow(const SourceFile& source) {
  Place at{source.path, "", ""};
  baseDir_ = std::filesystem::path(source.path).parent_path();
  Json root;
  try {
    root = Json::parse(source.text);
  } catch (const Json::parse_error& e) {
    at.Fail(std::string("not valid JSON: ") + e.what());
  }
  CheckObject(root, With(kRecordKeys, {"id", "unit", "name", "wordA", "wordB", "units", "menu"}),
              at, "a window");
  const Json* idValue = Member(root, "id");
  if (!idValue) at.Fail("the window has no 'id'");
  uint32_t windowId = Id(*idValue, at, "window id");
  std::string windowName;
  if (const Json* name = Member(root, "name"); name && name->is_string()) windowName = *name;
  at.window = Label(windowId, windowName);
  if (!forms::IsWindowId(windowId)) at.Fail("window id must have flags 5 and kind 2 (0x52xxxxxx)");
  Claim(windowId, at);

  forms::WindowImage image;
  image.windowId = windowId;
  const Json* ownValue = Member(root, "unit");
  if (!ownValue) at.Fail("the window has no 'unit' (the id of its own unit)");
  uint32_t ownId = Id(*ownValue, at, "window unit id");
  at.unit = "window unit " + Hex(ownId);
  if (!forms::IsOwnUnitId(ownId)) at.Fail("the window's own unit must have flags 0, kind 6");
  Claim(ownId, at);
  image.wordA = static_cast<uint32_t>(Integer(root.value("wordA", Json(0)), at, "'wordA'"));
  image.wordB = root.contains("wordB") ? Id(root["wordB"], at, "'wordB'")
                                       : forms::MakeId(1, 9, forms::IdSerial(windowId));
  forms::UnitRecordFields own = UnitFields(root, forms::kTypeWindow, at);
  image.units.push_back({ownId, {}});

  // Controls: ids and types first, so that children and shared events can name any of them.
  struct Control {
    uint32_t id;
    const Json* source;
    Place at;
    forms::UnitRecordFields fields;
  };
  std::vector<Control> controls;
  std::map<uint32_t, size_t> byId;
  const Json* units = Member(root, "units");
  if (units && !units->is_array()) {
    at.unit.clear();
    at.Fail("'units' must be a list");
  }
  for (const Json& unit : ListOrEmpty(units)) {
    Place unitAt = at;
    unitAt.unit = "a unit";
    const Json* uid = unit.is_object() ? Member(unit, "id") : nullptr;
    if (!uid) unitAt.Fail("every unit needs an object with an 'id'");
    uint32_t id = Id(*uid, unitAt, "unit id");
    std::string name;
    if (const Json* n = Member(unit, "name"); n && n->is_string()) name = *n;
    unitAt.unit = "unit " + Label(id, name);
    CheckObject(unit, With(kRecordKeys, {"id", "type", "name", "children", "sharedEvents"}), unitAt,
                "a unit");
    if (!forms::IsWindowUnitId(id) || forms::IsOwnUnitId(id))
      unitAt.Fail("unit id must have flags 1 and kind 6 (0x16xxxxxx)");
    Claim(id, unitAt);
    const Json* typeName = Member(unit, "type");
    if (!typeName || !typeName->is_string()) unitAt.Fail("the unit has no 'type'");
    const forms::TypeBlockLayout* layout = forms::FindTypeBlockLayout(typeName->get<std::string>());
    if (!layout || layout->type == forms::kTypeWindow)
      unitAt.Fail("unknown unit type '" + typeName->get<std::string>() + "'");
    byId[id] = controls.size();
    controls.push_back({id, &unit, unitAt, UnitFields(unit, layout->type, unitAt)});
  }

  // Children lists give every child its container; 0 or "page" separates pages.
  std::map<uint32_t, uint32_t> containerOf;
  auto children = [&](const Json& object, uint32_t parent, const Place& parentAt) {
    std::vector<uint32_t> list;
    const Json* value = Member(object, "children");
    if (!value) return list;
    if (!value->is_array()) parentAt.Fail("'children' must be a list of unit ids");
    for (const Json& child : *value) {
      if ((child.is_string() && child == "page") || (child.is_number() && child == 0)) {
        list.push_back(0);
        continue;
      }
      uint32_t id = Id(child, parentAt, "child");
      if (!byId.count(id)) parentAt.Fail("child " + Hex(id) + " is not a unit of this window");
      if (id == parent) parentAt.Fail("a unit cannot contain itself");
      if (containerOf.count(id))
        parentAt.Fail("child " + Hex(id) + " is already listed by " + Hex(containerOf[id]));
      containerOf[id] = parent;
      list.push_back(id);
    }
    return list;
  };
  own.children = children(root, 0, at);
  for (Control& c : controls) c.fields.children = children(*c.source, c.id, c.at);
  for (Control& c : controls) {
    c.fields.container = containerOf.count(c.id) ? containerOf[c.id] : 0;
    if (const Json* shared = Member(*c.source, "sharedEvents")) {
      uint32_t other = Id(*shared, c.at, "'sharedEvents'");
      auto it = byId.find(other);
      if (it == byId.end() || other == c.id || controls[it->second].fields.type != c.fields.type)
        c.at.Fail("'sharedEvents' must name another unit of this window and type");
      c.fields.sharedEvents = other;
    }
  }
  image.units[0].record = forms::BuildUnitRecord(own);
  for (const Control& c : controls) image.units.push_back({c.id, forms::BuildUnitRecord(c.fields)});

  const Json* menu = Member(root, "menu");
  if (menu && !menu->is_array()) {
    at.unit.clear();
    at.Fail("'menu' must be a list");
  }
  for (const Json& item : ListOrEmpty(menu)) {
    Place itemAt = at;
    itemAt.unit = "a menu item";
    const Json* mid = item.is_object() ? Member(item, "id") : nullptr;
    if (!mid) itemAt.Fail("every menu item needs an object with an 'id'");
    uint32_t id = Id(*mid, itemAt, "menu item id");
    std::string caption;
    if (const Json* c = Member(item, "caption"); c && c->is_string()) caption = *c;
    itemAt.unit = "menu item " + Label(id, caption);
    CheckObject(item,
                {"id", "caption", "level", "shortcut", "hidden", "disabled", "checked", "handler",
                 "name", "remark"},
                itemAt, "a menu item");
    if (!forms::IsMenuItemId(id))
      itemAt.Fail("menu item id must have flags 2, kind 6 (0x26xxxxxx)");
    Claim(id, itemAt);
    forms::MenuItemFields f;
    f.name = OptionalText(item, "name", itemAt);
    f.remark = OptionalText(item, "remark", itemAt);
    f.caption = OptionalText(item, "caption", itemAt);
    int32_t level = OptionalInt(item, "level", 0, itemAt);
    int32_t shortcut = OptionalInt(item, "shortcut", 0, itemAt);
    if (level < 0) itemAt.Fail("'level' must not be negative");
    if (shortcut < 0 || shortcut > 77) itemAt.Fail("'shortcut' must be 0 (none) or 1-77");
    f.level = static_cast<uint32_t>(level);
    f.shortcut = static_cast<uint32_t>(shortcut);
    f.stateFlags = (OptionalBool(item, "hidden", false, itemAt) ? forms::kMenuHidden : 0) |
                   (OptionalBool(item, "disabled", false, itemAt) ? forms::kMenuDisabled : 0) |
                   (OptionalBool(item, "checked", false, itemAt) ? forms::kMenuChecked : 0);
    f.handlerOffset = HandlerOffset(item.value("handler", Json()), itemAt);
    image.units.push_back({id, forms::BuildMenuItemRecord(f)});
  }
  return image;
}

}  // namespace

std::vector<std::string> ParseHandlerList(const std::string& text, const std::string& path) {
  std::vector<std::string> names;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    std::string name = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
    bool valid = !std::isdigit(static_cast<unsigned char>(name[0]));
    for (size_t i = 0; i < name.size() && valid; ++i) {
      unsigned char c = static_cast<unsigned char>(name[i]);
      if (c == ':' && i + 1 < name.size() && name[i + 1] == ':' && i > 0) {
        ++i;
        continue;
      }
      valid = std::isalnum(c) || c == '_';
    }
    std::string where = path + ":" + std::to_string(number) + ": ";
    if (!valid || name.back() == ':')
      throw CompileError(where + "'" + name + "' is not a function name");
    if (std::find(names.begin(), names.end(), name) != names.end())
      throw CompileError(where + "handler '" + name + "' is listed twice");
    names.push_back(name);
  }
  return names;
}

CompiledForms Compile(const std::vector<SourceFile>& sources,
                      const std::vector<std::string>& handlers) {
  Compiler compiler(handlers);
  std::vector<forms::WindowImage> windows;
  for (const SourceFile& source : sources) windows.push_back(compiler.CompileWindow(source));
  CompiledForms out;
  out.formData = forms::BuildFormData(windows);
  out.lastIdNumber = compiler.LastId();
  out.inputs = compiler.Inputs();
  return out;
}

namespace {

// "a::b::F" → ("a::b", "F").
std::pair<std::string, std::string> SplitName(const std::string& name) {
  auto at = name.rfind("::");
  if (at == std::string::npos) return {"", name};
  return {name.substr(0, at), name.substr(at + 2)};
}

uint64_t Fnv1a(const forms::Bytes& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

std::string Symbol(const std::string& ns) {
  std::string s = "velmora_forms_";
  for (char c : ns) s += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return s;
}

std::string Quoted(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

std::string GenerateHeader(const std::string& ns) {
  std::ostringstream h;
  h << "// Generated by formc. The program's form data and handler table.\n"
    << "#pragma once\n\n#include <cstdint>\n\n#include \"runtime/image/HandlerTable.h\"\n\n"
    << "namespace " << ns << " {\n\n"
    << "extern const uint8_t* const kFormData;\n"
    << "extern const uint32_t kFormDataSize;\n"
    << "extern const rt::HandlerEntry kHandlerTable[];\n"
    << "extern const uint32_t kHandlerCount;\n"
    << "extern const uint32_t kLastIdNumber;\n\n"
    << "}  // namespace " << ns << "\n";
  return h.str();
}

std::string GenerateSource(const std::string& ns, const std::vector<std::string>& handlers,
                           const CompiledForms& forms, const std::string& dataPath,
                           const std::string& headerName) {
  std::ostringstream s;
  std::string symbol = Symbol(ns);
  // The data's digest goes into the assembler text (not a comment, which a compiler cache
  // would not see), so that changed data changes this source and its object file.
  s << "// Generated by formc. The form data is assembled from the file beside this one.\n"
    << "#include \"" << headerName << "\"\n"
    << "#include \"forms/data/FormData.h\"\n\n";
  for (const std::string& name : handlers) {
    auto [scope, base] = SplitName(name);
    if (!scope.empty()) s << "namespace " << scope << " { ";
    s << "rt::HandlerResult " << base << "(const uint32_t* words, int32_t wordCount);";
    s << (scope.empty() ? "\n" : " }\n");
  }
  s << "\nextern \"C\" const uint8_t " << symbol << "_data[];\n"
    << "__asm__(\"# form data digest " << std::hex << Fnv1a(forms.formData) << std::dec
    << "\\n.section .rodata\\n.balign 16\\n.globl " << symbol << "_data\\n"
    << symbol << "_data:\\n.incbin \\\"" << Quoted(Quoted(dataPath))
    << "\\\"\\n.byte 0\\n.previous\\n\");\n\n"
    << "namespace " << ns << " {\n\n"
    << "const uint8_t* const kFormData = " << symbol << "_data;\n"
    << "const uint32_t kFormDataSize = " << forms.formData.size() << ";\n"
    << "const rt::HandlerEntry kHandlerTable[] = {\n";
  for (const std::string& name : handlers) s << "    {&::" << name << "},\n";
  if (handlers.empty()) s << "    {nullptr},  // no handlers; the table still has an address\n";
  s << "};\n"
    << "const uint32_t kHandlerCount = " << handlers.size() << ";\n"
    << "const uint32_t kLastIdNumber = " << forms.lastIdNumber << ";\n\n"
    << "namespace {\n"
    << "// Lets the form-data reader refuse offsets past the end of this table.\n"
    << "[[maybe_unused]] const bool kTableRegistered =\n"
    << "    (forms::RegisterHandlerTable(kHandlerTable, kHandlerCount), true);\n"
    << "}  // namespace\n\n"
    << "}  // namespace " << ns << "\n";
  return s.str();
}

}  // namespace formc
