// The form compiler from source to bytes and back through the reader: every type block with
// every property set away from its default, the value notations, and a table of sources it
// must refuse with a message naming the file, the window and the unit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <variant>
#include <vector>

#include "forms/data/FormData.h"
#include "forms/data/TypeBlock.h"
#include "platform/wingdi.h"
#include "tests/common/Gbk.h"
#include "tools/formc/FormCompiler.h"

namespace {

using Json = nlohmann::ordered_json;
using testing_gbk::Gbk;

const std::string kFormsDir = std::string(VELMORA_SOURCE_DIR) + "/tests/forms/data/forms";
const std::vector<std::string> kHandlers = {"app::OnClick", "OnClose"};

std::vector<uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

std::vector<uint8_t> TinyFile() {
  std::ifstream in(kFormsDir + "/tiny.bin", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Compiles one window source and reads it back; the first unit of the given type.
struct Compiled {
  forms::FormData data;
  formc::CompiledForms out;
};
std::unique_ptr<Compiled> CompileOne(const Json& window) {
  auto c = std::make_unique<Compiled>();
  c->out = formc::Compile({{kFormsDir + "/case.json", window.dump()}}, kHandlers);
  EXPECT_TRUE(c->data.Read(c->out.formData.data(), c->out.formData.size(), {nullptr, 2}));
  return c;
}

Json Window(Json units = Json::array()) {
  return Json{{"id", "0x52000001"}, {"unit", "0x06000002"}, {"name", "W"}, {"units", units}};
}

// One value per field, all different from the defaults, in the notations a source uses.
struct FieldCase {
  Json source;
  std::variant<uint32_t, std::vector<uint8_t>> expected;
};

FieldCase ValueFor(const forms::BlockField& f, size_t i) {
  if (f.kind == forms::FieldKind::Text) {
    std::string text = "文字" + std::to_string(i);
    return {text, Bytes(Gbk(text))};
  }
  if (f.kind == forms::FieldKind::Buffer) {
    if (f.typeCode == forms::kPropFont) {
      LOGFONTA font{};
      font.lfHeight = -16;
      font.lfWeight = 400;
      font.lfItalic = 1;
      font.lfUnderline = 1;
      font.lfCharSet = 134;
      std::string face = Gbk("楷体");
      std::memcpy(font.lfFaceName, face.data(), face.size());
      const auto* p = reinterpret_cast<const uint8_t*>(&font);
      return {Json{{"face", "楷体"}, {"size", 12}, {"italic", true}, {"underline", true}},
              std::vector<uint8_t>(p, p + sizeof font)};
    }
    if (i % 2)
      return {Json::array({1, 2, static_cast<int>(i)}), std::vector<uint8_t>{1, 2, uint8_t(i)}};
    return {Json{{"file", "tiny.bin"}}, TinyFile()};
  }
  switch (f.typeCode) {
    case forms::kPropLogical:
      return {f.defaultWord == 0, f.defaultWord == 0 ? 1u : 0u};
    case forms::kPropColor:
    case forms::kPropAlphaColor:
    case forms::kPropDefaultColor: {
      char text[8];
      std::snprintf(text, sizeof text, "#%02X4080", static_cast<unsigned>(i));
      return {text, static_cast<uint32_t>(0x804000 | i)};
    }
    default: {
      int32_t v = static_cast<int32_t>(1000 + i) * (i % 2 ? -1 : 1);
      return {v, static_cast<uint32_t>(v)};
    }
  }
}

TEST(FormCompiler, EveryTypeBlockRoundTripsFromSource) {
  for (const forms::TypeBlockLayout& layout : forms::AllTypeBlockLayouts()) {
    Json properties = Json::object();
    std::vector<FieldCase> expected;
    for (size_t i = 0; i < layout.fields.size(); ++i) {
      expected.push_back(ValueFor(layout.fields[i], i));
      if (layout.fields[i].property != forms::kKeptWord)
        properties[layout.fields[i].name] = expected.back().source;
    }
    Json window = Window();
    bool isWindow = layout.type == forms::kTypeWindow;
    if (isWindow) {
      window["properties"] = properties;
    } else {
      window["units"].push_back(
          {{"id", "0x16000003"}, {"type", layout.englishName}, {"properties", properties}});
    }
    auto c = CompileOne(window);
    ASSERT_EQ(c->data.WindowCount(), 1u) << layout.englishName;
    auto unit = c->data.WindowAt(0).Unit(isWindow ? 0 : 1);
    EXPECT_EQ(unit.Type(), layout.type);
    forms::TypeBlock block(layout);
    ASSERT_TRUE(forms::TypeBlock::Read(layout, unit.TypeBlock(), block)) << layout.englishName;
    for (size_t i = 0; i < layout.fields.size(); ++i) {
      const auto& f = layout.fields[i];
      if (f.property == forms::kKeptWord) {
        EXPECT_EQ(block.WordAt(i), 0u);
      } else if (const auto* word = std::get_if<uint32_t>(&expected[i].expected)) {
        EXPECT_EQ(block.WordAt(i), *word) << layout.englishName << "." << f.name;
      } else {
        auto data = block.DataAt(i);
        EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.end()),
                  std::get<std::vector<uint8_t>>(expected[i].expected))
            << layout.englishName << "." << f.name;
      }
    }
  }
}

TEST(FormCompiler, ValueNotations) {
  struct Case {
    const char* what;
    Json unit;  // a Button unless it says otherwise
    uint32_t property;
    uint32_t word;
  } cases[] = {
      {"system colour",
       {{"type", "Label"}, {"properties", {{"backColor", "default"}}}},
       17,
       0xFF000000},
      {"colour as a number",
       {{"type", "Label"}, {"properties", {{"textColor", 0x0000FF}}}},
       16,
       0x0000FF},
      {"property names ignore case", {{"properties", {{"HALIGN", 2}}}}, 11, 2},
      {"largest unsigned word",
       {{"type", "Timer"}, {"properties", {{"period", 4294967295u}}}},
       8,
       0xFFFFFFFF},
      {"negative word", {{"type", "Timer"}, {"properties", {{"period", -5}}}}, 8, 0xFFFFFFFB},
      {"unset property keeps its default", {{"type", "PicBox"}}, 12, 1},
  };
  for (const Case& c : cases) {
    Json unit = c.unit;
    unit["id"] = "0x16000003";
    if (!unit.contains("type")) unit["type"] = "Button";
    auto compiled = CompileOne(Window(Json::array({unit})));
    ASSERT_EQ(compiled->data.WindowCount(), 1u) << c.what;
    auto record = compiled->data.WindowAt(0).Unit(1);
    forms::TypeBlock block(*forms::FindTypeBlockLayout(record.Type()));
    ASSERT_TRUE(forms::TypeBlock::Read(block.Layout(), record.TypeBlock(), block)) << c.what;
    EXPECT_EQ(block.Word(c.property), c.word) << c.what;
  }

  struct CursorCase {
    Json cursor;
    std::vector<uint8_t> bytes;
  } cursors[] = {
      {nullptr, {0, 0, 0, 0}},  // absent: the standard cursor
      {32649, {0x89, 0x7F, 0, 0}},
      {Json::array(), {}},
      {Json{{"file", "tiny.bin"}}, TinyFile()},
  };
  for (const CursorCase& c : cursors) {
    Json unit = {{"id", "0x16000003"}, {"type", "Button"}};
    if (!c.cursor.is_null()) unit["cursor"] = c.cursor;
    auto compiled = CompileOne(Window(Json::array({unit})));
    auto data = compiled->data.WindowAt(0).Unit(1).CursorData();
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.end()), c.bytes) << c.cursor.dump();
  }
  // Lists kept in a unit's data, as a status bar keeps its parts and their texts.
  struct DataCase {
    Json value;
    std::vector<uint8_t> bytes;
  } lists[] = {
      {Json{{"words", {120, -1}}}, {120, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
      {Json{{"words", Json::array()}}, {}},
      {Json{{"texts", {"OK", "", "完成"}}}, {'O', 'K', 0, 0, 0xCD, 0xEA, 0xB3, 0xC9, 0}},
  };
  for (const DataCase& c : lists) {
    auto compiled = CompileOne(Window(Json::array(
        {{{"id", "0x16000003"}, {"type", "StatusBar"}, {"properties", {{"parts", c.value}}}}})));
    ASSERT_EQ(compiled->data.WindowCount(), 1u) << c.value.dump();
    auto record = compiled->data.WindowAt(0).Unit(1);
    forms::TypeBlock block(*forms::FindTypeBlockLayout(record.Type()));
    ASSERT_TRUE(forms::TypeBlock::Read(block.Layout(), record.TypeBlock(), block));
    auto data = block.Data(12);
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.end()), c.bytes) << c.value.dump();
  }
  // A long text kept in its own file is stored as its bytes; a font may name its character
  // set (GB2312 otherwise).
  {
    auto compiled = CompileOne(Window(Json::array(
        {{{"id", "0x16000003"},
          {"type", "EditBox"},
          {"properties",
           {{"content", {{"file", "lines.txt"}}},
            {"font", {{"face", "Calibri"}, {"height", -19}, {"charSet", 0}}}}}},
         {{"id", "0x16000004"}, {"type", "Label"}, {"properties", {{"font", {{"face", "x"}}}}}}})));
    ASSERT_EQ(compiled->data.WindowCount(), 1u);
    auto read = [&](size_t unit, uint32_t property) {
      auto record = compiled->data.WindowAt(0).Unit(unit);
      forms::TypeBlock block(*forms::FindTypeBlockLayout(record.Type()));
      EXPECT_TRUE(forms::TypeBlock::Read(block.Layout(), record.TypeBlock(), block));
      auto data = block.Data(property);
      return std::vector<uint8_t>(data.begin(), data.end());
    };
    EXPECT_EQ(read(1, 8), Bytes(Gbk("第一行") + "\r\nsecond\r\n"));
    auto charSet = [](const std::vector<uint8_t>& font) {
      LOGFONTA f{};
      if (font.size() == sizeof f) std::memcpy(&f, font.data(), sizeof f);
      return std::make_pair(f.lfHeight, static_cast<int>(f.lfCharSet));
    };
    EXPECT_EQ(charSet(read(1, 12)), std::make_pair(LONG{-19}, 0));
    EXPECT_EQ(charSet(read(2, 15)).second, 134);
  }
  // Files the sources read are reported, for rebuilding when they change.
  auto compiled = CompileOne(Window(Json::array(
      {{{"id", "0x16000003"}, {"type", "Button"}, {"cursor", {{"file", "tiny.bin"}}}}})));
  EXPECT_EQ(compiled->out.inputs, std::vector<std::string>{kFormsDir + "/tiny.bin"});
}

struct Rejected {
  const char* what;
  std::string source;
  std::string message;  // the whole message after "case.json: "
};

std::vector<Rejected> RejectedSources() {
  const std::string head = R"({"id": "0x52000001", "unit": "0x06000002", "name": "W", )";
  auto unit = [&](const std::string& body) {
    return head + R"("units": [{"id": "0x16000003", "name": "按钮1", )" + body + "}]}";
  };
  const std::string at = "window 0x52000001 (W), unit 0x16000003 (按钮1): ";
  return {
      {"not JSON", "{", "not valid JSON: "},
      {"no window id", R"({"unit": "0x06000002"})", "the window has no 'id'"},
      {"window id of the wrong kind", R"({"id": "0x16000001", "unit": "0x06000002"})",
       "window 0x16000001: window id must have flags 5 and kind 2 (0x52xxxxxx)"},
      {"window id not an id", R"({"id": "window", "unit": "0x06000002"})",
       "window id 'window' is not an id"},
      {"own unit of the wrong kind", R"({"id": "0x52000001", "unit": "0x16000002", "name": "W"})",
       "window 0x52000001 (W), window unit 0x16000002: the window's own unit must have flags 0, "
       "kind 6"},
      {"unit id of the wrong kind", unit(R"("id": "0x26000003", "type": "Button")"),
       "window 0x52000001 (W), unit 0x26000003 (按钮1): unit id must have flags 1 and kind 6 "
       "(0x16xxxxxx)"},
      {"duplicate unit id", head + R"("units": [{"id": "0x16000003", "type": "Button"},
                           {"id": "0x16000003", "type": "Button"}]})",
       "window 0x52000001 (W), unit 0x16000003: duplicate id 0x16000003 (serial already used by "
       "case.json unit 0x16000003)"},
      {"serial shared by a unit and the window", unit(R"("id": "0x16000001", "type": "Button")"),
       "window 0x52000001 (W), unit 0x16000001 (按钮1): duplicate id 0x16000001 (serial already "
       "used by case.json window 0x52000001 (W))"},
      {"unknown type", unit(R"("type": "Slider")"), at + "unknown unit type 'Slider'"},
      {"a unit of the window type", unit(R"("type": "window")"), at + "unknown unit type 'window'"},
      {"unknown property", unit(R"("type": "Button", "properties": {"colour": 1})"),
       at + "unknown property 'colour' of type Button"},
      {"text property given a number", unit(R"("type": "Button", "properties": {"caption": 5})"),
       at + "property 'caption' must be a text"},
      {"logical property given a number",
       unit(R"("type": "Timer", "properties": {"period": true})"),
       at + "property 'period' must be a number"},
      {"word out of range", unit(R"("type": "Timer", "properties": {"period": 5000000000})"),
       at + "property 'period' must be a 32-bit integer"},
      {"bad colour", unit(R"("type": "Label", "properties": {"textColor": "#12345"})"),
       at + "property 'textColor' '#12345' is not a colour (#RRGGBB or \"default\")"},
      {"unknown handler", unit(R"("type": "Button", "events": {"0": "OnNothing"})"),
       at + "unknown handler 'OnNothing' (not in the handler list)"},
      {"handler not a text", unit(R"("type": "Button", "events": {"0": 3})"),
       at + "a handler must be named by a text, or null for none"},
      {"event not a number", unit(R"("type": "Button", "events": {"click": "OnClose"})"),
       at + "event 'click' is not an event number"},
      {"unknown key", unit(R"("type": "Button", "colour": 1)"),
       at + "unknown key 'colour' in a unit"},
      {"child of another window", unit(R"("type": "PicBox", "children": ["0x16000009"])"),
       at + "child 0x16000009 is not a unit of this window"},
      {"unit containing itself", unit(R"("type": "PicBox", "children": ["0x16000003"])"),
       at + "a unit cannot contain itself"},
      {"shared events of another type",
       head + R"("units": [{"id": "0x16000003", "name": "按钮1", "type": "Button",
                            "sharedEvents": "0x16000004"},
                           {"id": "0x16000004", "type": "Label"}]})",
       at + "'sharedEvents' must name another unit of this window and type"},
      {"font face too long",
       unit(
           R"("type": "Button", "properties": {"font": {"face": "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"}})"),
       at + "font face name longer than 31 bytes"},
      {"picture file missing",
       unit(R"("type": "PicBox", "properties": {"picture": {"file": "missing.jpg"}})"),
       at + "property 'picture': cannot read missing.jpg"},
      {"texts that are not texts",
       unit(R"("type": "StatusBar", "properties": {"partTexts": {"texts": ["a", 1]}})"),
       at + "property 'partTexts' texts must be a list of texts"},
      {"character outside GBK", unit(R"("type": "Button", "properties": {"caption": "😀"})"),
       at + "property 'caption' has a character GBK cannot hold"},
      {"menu item id of the wrong kind",
       head + R"("menu": [{"id": "0x16000005", "caption": "Open"}]})",
       "window 0x52000001 (W), menu item 0x16000005 (Open): menu item id must have flags 2, kind 6 "
       "(0x26xxxxxx)"},
      {"menu shortcut out of range",
       head + R"("menu": [{"id": "0x26000005", "caption": "Open", "shortcut": 78}])" + "}",
       "window 0x52000001 (W), menu item 0x26000005 (Open): 'shortcut' must be 0 (none) or 1-77"},
      {"menu handler unknown",
       head + R"("menu": [{"id": "0x26000005", "caption": "Open", "handler": "app::OnOpen"}]})",
       "window 0x52000001 (W), menu item 0x26000005 (Open): unknown handler 'app::OnOpen' (not in "
       "the handler list)"},
  };
}

TEST(FormCompiler, RejectsBadSourcesNamingFileWindowAndUnit) {
  for (const Rejected& r : RejectedSources()) {
    try {
      formc::Compile({{"case.json", r.source}}, kHandlers);
      ADD_FAILURE() << r.what << ": compiled";
    } catch (const formc::CompileError& e) {
      std::string message = e.what();
      std::string expected = "case.json: " + r.message;
      EXPECT_EQ(message.substr(0, expected.size()), expected) << r.what;
    }
  }
}

TEST(FormCompiler, SerialsAreUniqueAcrossFiles) {
  const std::string first = R"({"id": "0x52000001", "unit": "0x06000002"})";
  const std::string second = R"({"id": "0x52000003", "unit": "0x06000001"})";
  try {
    formc::Compile({{"a.json", first}, {"b.json", second}}, {});
    ADD_FAILURE() << "compiled";
  } catch (const formc::CompileError& e) {
    EXPECT_STREQ(e.what(),
                 "b.json: window 0x52000003, window unit 0x06000001: duplicate id 0x06000001 "
                 "(serial already used by a.json window 0x52000001)");
  }
}

TEST(FormCompiler, HandlerLists) {
  EXPECT_EQ(formc::ParseHandlerList("# comment\n\n  a::b::F  \r\nG\n", "h.txt"),
            (std::vector<std::string>{"a::b::F", "G"}));
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"F\nF\n", "h.txt:2: handler 'F' is listed twice"},
      {"9F\n", "h.txt:1: '9F' is not a function name"},
      {"a::\n", "h.txt:1: 'a::' is not a function name"},
      {"::F\n", "h.txt:1: '::F' is not a function name"},
      {"a b\n", "h.txt:1: 'a b' is not a function name"},
  };
  for (const Case& c : cases) {
    try {
      formc::ParseHandlerList(c.text, "h.txt");
      ADD_FAILURE() << c.text;
    } catch (const formc::CompileError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

// The tool itself: a refused source prints the message and exits with 1, writing nothing.
TEST(FormCompiler, ToolExitsNonZeroOnABadSource) {
  std::string dir = testing::TempDir() + "formc_tool_test";
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "/bad.json") << R"({"id": "0x52000001", "unit": "0x06000002", "name": "W",
    "units": [{"id": "0x16000003", "type": "Button", "events": {"0": "Missing"}}]})";
  std::ofstream(dir + "/handlers.txt") << "Present\n";
  std::string command = std::string(VELMORA_FORMC) + " --namespace n --handlers " + dir +
                        "/handlers.txt --data " + dir + "/out.bin --source " + dir +
                        "/out.cpp --header " + dir + "/out.h --header-name out.h " + dir +
                        "/bad.json 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  int status = pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(output, "formc: error: " + dir +
                        "/bad.json: window 0x52000001 (W), unit 0x16000003: unknown handler "
                        "'Missing' (not in the handler list)\n");
  EXPECT_FALSE(std::filesystem::exists(dir + "/out.bin"));
}

}  // namespace
