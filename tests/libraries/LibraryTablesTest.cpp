// The program's support-library table as the runtime reads it: counts, identity words,
// command tables without holes, notify answers, and the property tables of the unit types
// compared with the published rows of type codes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "libraries/ProgramLibraries.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "tests/common/Gbk.h"

namespace libs {
namespace {

using testing_gbk::Gbk;

class LibraryTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    header_.libraryCount = kLibraryCount;
    header_.libraries = ProgramLibraryTable();
    rt::InitRuntime(&header_);
  }
  void TearDown() override { rt::InitRuntime(nullptr); }
  rt::ImageHeader header_{};
};

TEST_F(LibraryTablesTest, FiveLibrariesWithTheirCountsAndIdentity) {
  struct Expected {
    uint32_t dataTypes;
    uint32_t flags;
  };
  const Expected expected[kLibraryCount] = {{51, 0xC0000001}, {5, 0}, {9, 0}, {1, 0}, {11, 0}};
  for (uint32_t i = 0; i < kLibraryCount; ++i) {
    const rt::LibraryDescriptor* library = ProgramLibraryTable()[i];
    ASSERT_NE(library, nullptr) << i;
    EXPECT_EQ(library->marker, 0x01312D65u) << i;
    EXPECT_EQ(library->dataTypeCount, expected[i].dataTypes) << i;
    EXPECT_EQ(library->flags, expected[i].flags) << i;
    EXPECT_EQ(library->one, 1u) << i;
    ASSERT_NE(library->identifier, nullptr);
    EXPECT_EQ(std::strlen(library->identifier), 32u) << i;
    EXPECT_EQ(std::string(library->identifier).find_first_not_of("0123456789abcdef"),
              std::string::npos);
    ASSERT_NE(library->displayName, nullptr);
    EXPECT_GT(std::strlen(library->displayName), 0u);
    // Every entry the application could call is a routine.
    for (uint32_t c = 0; c < library->commandCount; ++c) {
      EXPECT_NE(library->commands[c], nullptr) << "library " << i + 1 << " command " << c;
    }
    ASSERT_NE(library->notify, nullptr);
    EXPECT_EQ(library->notify(8, 0, 0), 0) << i;      // no interface identifiers
    EXPECT_EQ(library->notify(9999, 0, 0), -1) << i;  // unknown codes
  }
  const rt::LibraryDescriptor* core = CoreLibrary();
  EXPECT_EQ(core->version[0], 5u);
  EXPECT_EQ(core->version[2], 64u);
  EXPECT_GT(core->commandCount, 0u);
}

// Type codes of properties 8 and up, one row per unit type, as published for the types
// this program uses; names where the tables carry them.
struct TypeRow {
  uint32_t code;
  const char* englishName;
  const char* chineseName;  // UTF-8
  const char* typeCodes;
};
const TypeRow kRows[] = {
    {0x00010001, "window", "窗口",
     "1005 1006 1017 1009 1006 1012 1006 1003 1003 1003 1006 1003 1010 1003 1003 1003 1016 "
     "1001 1003 1003 1006 1003 1003 1005"},
    {0x00010005, "EditBox", "编辑框",
     "1005 1006 1014 1017 1013 1003 1001 1003 1006 1006 1006 1005 1006 1006 1001 1001 1001 "
     "1001 1005 1018 1020"},
    {0x00010006, "PicBox", "图片框", "1006 1017 1009 1006 1003 1018 1020"},
    {0x00010009, "GroupBox", "分组框", "1005 1006 1014 1017 1013"},
    {0x0001000A, "Label", "标签",
     "1005 1006 1006 1001 1015 1015 1015 1013 1014 1017 1009 1006 1006 1015 1015 1015 1006 "
     "1003 1006 1018 1020"},
    {0x0001000B, "Button", "按钮", "1009 1006 1005 1006 1006 1013"},
    {0x00010011, "HScrollBar", "横向滚动条", "1001 1001 1001 1001 1001 1003"},
    {0x00010012, "VScrollBar", "纵向滚动条", "1001 1001 1001 1001 1001 1003"},
    {0x00010013, "ProcessBar", "进度条", "1006 1006 1006 1001 1001 1001"},
    {0x00010014, "SliderBar", "滑块条",
     "1006 1006 1006 1001 1003 1001 1001 1001 1001 1001 1001 1001"},
    {0x0001001F, "CommonDlg", "通用对话框",
     "1006 1005 1005 1005 1001 1005 1005 1003 1003 1003 1003 1003 1014 1003 1003 1003 1003 "
     "1005 1001 1005 1006 1001"},
    {0x00010020, "Timer", "时钟", "1001"},
    {0x00020002, "StatusBar", "状态条", "1017 1006 1003 1013 1023 1024"},
    {0x00020005, "TransLabel", "透明标签", "1005 1006 1013 1014 1006 1003 1006"},
    {0x00040001, "HtmlViewer", "超文本浏览框", "1006 1003 1003 1016 1005 1005"},
};

std::vector<uint32_t> Codes(const char* row) {
  std::vector<uint32_t> codes;
  std::istringstream in(row);
  for (uint32_t c; in >> c;) codes.push_back(c);
  return codes;
}

TEST_F(LibraryTablesTest, UnitTypesCarryTheCommonAndTheirOwnProperties) {
  const uint32_t common[8] = {1001, 1001, 1001, 1001, 1005, 1003, 1003, 1011};
  for (const TypeRow& row : kRows) {
    SCOPED_TRACE(row.englishName);
    const rt::DataTypeDescriptor* type = rt::DataTypeFor(row.code);
    ASSERT_NE(type, nullptr);
    EXPECT_STREQ(type->englishName, row.englishName);
    EXPECT_EQ(std::string(type->name), Gbk(row.chineseName));
    EXPECT_NE(type->stateBits & rt::kTypeStateWindowed, 0u);
    const std::vector<uint32_t> own = Codes(row.typeCodes);
    ASSERT_EQ(type->propertyCount, 8 + own.size());
    for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(type->properties[i].TypeCode(), common[i]) << i;
    for (size_t i = 0; i < own.size(); ++i) {
      EXPECT_EQ(type->properties[8 + i].TypeCode(), own[i]) << "property " << 8 + i;
    }
  }
}

TEST_F(LibraryTablesTest, NamedPropertiesAndTypeFlags) {
  const rt::DataTypeDescriptor* viewer = rt::DataTypeFor(0x00040001);
  ASSERT_NE(viewer, nullptr);
  const char* names[] = {"FontSize", "Offline", "Silent", "url", "StatusText", "Caption"};
  for (int i = 0; i < 6; ++i) EXPECT_STREQ(viewer->properties[8 + i].englishName, names[i]);
  EXPECT_EQ(std::string(viewer->properties[11].name), Gbk("地址"));

  struct Flags {
    uint32_t code;
    intptr_t flags;  // notify 2029
  };
  const Flags flags[] = {{0x00010001, 1}, {0x00010003, 2}, {0x0001000B, 1}, {0x00010020, 1},
                         {0x00010030, 0}, {0x00010002, 0}, {0x00030008, 1}, {0x00030009, 0},
                         {0x00050001, 0}, {0x00060001, 0}, {0x00010034, 0}};
  for (const Flags& f : flags) {
    EXPECT_EQ(rt::RuntimeNotify(2029, f.code, 0), f.flags) << std::hex << f.code;
  }
  // Timers and common dialogs are made as hidden windows, never shown.
  EXPECT_NE(rt::DataTypeFor(0x00010020)->stateBits & rt::kTypeStateNonVisual, 0u);
  EXPECT_NE(rt::DataTypeFor(0x0001001F)->stateBits & rt::kTypeStateNonVisual, 0u);
  EXPECT_EQ(rt::DataTypeFor(0x0001000B)->stateBits & rt::kTypeStateNonVisual, 0u);
  // The window and menu types are the forms engine's, with its interface routine, and so
  // are the bars, the timer and the status bar.
  for (uint32_t code : {0x00010001u, 0x00010011u, 0x00010012u, 0x00010013u, 0x00010014u,
                        0x00010020u, 0x00020002u}) {
    EXPECT_NE(rt::DataTypeFor(code)->interfaceRoutine, nullptr) << std::hex << code;
  }
}

}  // namespace
}  // namespace libs
