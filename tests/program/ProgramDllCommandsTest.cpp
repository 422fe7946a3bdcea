// The program's own DLL-command table, called the way the application calls it: every
// declaration binds to the export it was written for with a matching argument size, the
// code-page calls convert as the translator needs, and the skin library's file is found
// beside the program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "libraries/ProgramDllCommands.h"
#include "platform/kernel32.h"
#include "runtime/RuntimeState.h"
#include "runtime/dll/DllBinding.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/Gbk.h"
#include "tests/common/TempFolder.h"
#include "tests/program/TestProgram.h"

namespace testprogram {
namespace {

namespace dll = libs::dll;
using rt::DllBytes;

// A byte set as the value model lays it out.
struct ByteSet {
  std::vector<uint8_t> block;
  explicit ByteSet(size_t n, uint8_t fill = 0) : block(rt::kByteSetHeader + n, fill) {
    rt::WriteInt32(block.data(), 1);
    rt::WriteInt32(block.data() + 4, static_cast<int32_t>(n));
  }
  DllBytes Arg() const { return {block.data()}; }
  uint8_t* Bytes() { return block.data() + rt::kByteSetHeader; }
  size_t Size() const { return block.size() - rt::kByteSetHeader; }
};

class ProgramDllCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { StartProgram(); }
  void TearDown() override { rt::EndProgram(0); }
};

TEST_F(ProgramDllCommandsTest, EveryDeclarationBindsToItsExportWithAMatchingSize) {
  struct Row {
    int32_t index;
    uint32_t declaredBytes;
    const char* module;  // where the export lives
    const char* function;
  };
#define ROW(declaration, module, function)                                      \
  Row {                                                                         \
    dll::declaration.Index(), dll::declaration.kArgumentBytes, module, function \
  }
  const Row rows[] = {
      ROW(MultiByteToWideChar, "kernel32", "MultiByteToWideChar"),
      ROW(WideCharToMultiByte, "kernel32", "WideCharToMultiByte"),
      ROW(GetClientRect, "user32", "GetClientRect"),
      ROW(GetDC, "user32", "GetDC"),
      ROW(CreateCompatibleDC, "gdi32", "CreateCompatibleDC"),
      ROW(CreateCompatibleBitmap, "gdi32", "CreateCompatibleBitmap"),
      ROW(SelectObject, "gdi32", "SelectObject"),
      ROW(BitBlt, "gdi32", "BitBlt"),
      ROW(GetPixel, "gdi32", "GetPixel"),
      ROW(SetPixel, "gdi32", "SetPixel"),
      ROW(DeleteObject, "gdi32", "DeleteObject"),
      ROW(DeleteDC, "gdi32", "DeleteDC"),
      ROW(ReleaseDC, "user32", "ReleaseDC"),
      ROW(GetWindowRect, "user32", "GetWindowRect"),
      ROW(CaptureGetDC, "user32", "GetDC"),
      ROW(CaptureCreateCompatibleDC, "gdi32", "CreateCompatibleDC"),
      ROW(CaptureCreateCompatibleBitmap, "gdi32", "CreateCompatibleBitmap"),
      ROW(CaptureSelectObject, "gdi32", "SelectObject"),
      ROW(PrintWindow, "user32", "PrintWindow"),
      ROW(CaptureDeleteObject, "gdi32", "DeleteObject"),
      ROW(CaptureDeleteDC, "gdi32", "DeleteDC"),
      ROW(CaptureReleaseDC, "user32", "ReleaseDC"),
      ROW(GetObjectA, "gdi32", "GetObjectA"),
      ROW(GetDIBitsFormat, "gdi32", "GetDIBits"),
      ROW(GetDIBitsRows, "gdi32", "GetDIBits"),
      ROW(CopyHeaderToBytes, "kernel32", "RtlMoveMemory"),
      ROW(CopyBytesToHeader, "kernel32", "RtlMoveMemory"),
      ROW(IsWindow, "user32", "IsWindow"),
      ROW(CopyBitmapToBytes, "kernel32", "RtlMoveMemory"),
      ROW(CopyBytesToInt, "kernel32", "RtlMoveMemory"),
      ROW(CopyIntToBytes, "kernel32", "RtlMoveMemory"),
      ROW(GetInputState, "user32", "GetInputState"),
      ROW(CreateDirectoryA, "kernel32", "CreateDirectoryA"),
  };
#undef ROW
  std::vector<bool> covered(libs::kDllCommandCount, false);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.function);
    ASSERT_LT(row.index, static_cast<int32_t>(libs::kDllCommandCount));
    covered[row.index] = true;
    EXPECT_STREQ(libs::DllFunctionNames()[row.index], row.function);
    // The call path the declaration takes: a size the export disagrees with would end the
    // program here with error 6.
    EXPECT_EQ(rt::CallDllCommand(row.index, row.declaredBytes),
              GetProcAddress(GetModuleHandleA(row.module), row.function));
  }
  // The skin library's entry is the only one left, and it lives in a file of its own.
  covered[dll::SkinH_AttachRes.Index()] = true;
  EXPECT_STREQ(libs::DllModuleNames()[dll::SkinH_AttachRes.Index()], "SkinH_EL.dll");
  EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0);
}

TEST_F(ProgramDllCommandsTest, TextBecomesUtf8ThroughTheCodePageDeclarations) {
  // The translator's steps: GBK to UTF-16 and on to UTF-8, sizes asked for first.
  const std::string text = testing_gbk::Gbk("中ab");
  const int32_t units = dll::MultiByteToWideChar(936, 0, text.c_str(), -1, DllBytes{}, 0);
  ASSERT_EQ(units, 4);
  ByteSet wide(static_cast<size_t>(units) * 2);
  EXPECT_EQ(dll::MultiByteToWideChar(936, 0, text.c_str(), -1, wide.Arg(), units), units);
  const int32_t bytes = dll::WideCharToMultiByte(65001, 0, wide.Arg(), units, DllBytes{}, 0, 0, 0);
  ASSERT_EQ(bytes, 6);
  ByteSet utf8(static_cast<size_t>(bytes));
  EXPECT_EQ(dll::WideCharToMultiByte(65001, 0, wide.Arg(), -1, utf8.Arg(), bytes, 0, 0), bytes);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(utf8.Bytes()), utf8.Size()),
            std::string("\xE4\xB8\xAD"
                        "ab\0",
                        6));
}

TEST_F(ProgramDllCommandsTest, SkinLibraryIsTakenFromTheRunDirectoryBeforeTheProgramDirectory) {
  namespace fs = std::filesystem;
  const fs::path run = testing_temp::MakeFolder("dll-run");
  const fs::path program = testing_temp::MakeFolder("dll-program");
  ASSERT_FALSE(run.empty());
  ASSERT_FALSE(program.empty());
  fs::copy_file(VELMORA_DLL_PROBE, run / "SkinH_EL.dll");
  fs::copy_file(VELMORA_DLL_PROBE, program / "SkinH_EL.dll");

  ByteSet skin(3);
  skin.Bytes()[2] = 9;
  auto bindFrom = [&]() -> std::string {
    rt::InitRuntime(&ProgramHeader());
    rt::Runtime().runDirectory = run.string();
    rt::Runtime().programDirectory = program.string() + "/";
    // The result shows the arguments arrived in order: length, last byte, three zeros.
    EXPECT_EQ(dll::SkinH_AttachRes(skin.Arg(), 3, "", 0, 0, 0), 3090);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(rt::Runtime().dllCommands.modules[dll::SkinH_AttachRes.Index()], path,
                       MAX_PATH);
    rt::EndProgram(0);
    return fs::path(path).parent_path().string();
  };
  EXPECT_EQ(bindFrom(), fs::canonical(run).string());
  fs::remove(run / "SkinH_EL.dll");
  EXPECT_EQ(bindFrom(), fs::canonical(program).string());

  fs::remove_all(run);
  fs::remove_all(program);
}

}  // namespace
}  // namespace testprogram
