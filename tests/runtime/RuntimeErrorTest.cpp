#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/errors/RuntimeError.h"
#include "tests/common/Gbk.h"

namespace rt {
namespace {

using ::testing::ExitedWithCode;
using ::testing::HasSubstr;
using ::testing::Not;
using testing_gbk::Gbk;

std::string Format(const char* message, int32_t code) {
  char out[512];
  FormatRuntimeErrorText(message, code, out, sizeof out);
  return out;
}

TEST(RuntimeErrorText, LayoutWithCodeAndMessage) {
  EXPECT_EQ(
      Format(NumberedErrorMessage(1), 1),
      Gbk("运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"));
}

TEST(RuntimeErrorText, CodeZeroShowsOnlyTheMessage) {
  std::string message = Gbk("分配 4096 字节内存失败!");
  EXPECT_EQ(Format(message.c_str(), 0), Gbk("运行时出错!\r\n\r\n错误信息：") + message + "\r\n");
  EXPECT_EQ(Format("", 0), Gbk("运行时出错!\r\n\r\n"));
  EXPECT_EQ(Format(nullptr, 0), Gbk("运行时出错!\r\n\r\n"));
}

TEST(RuntimeErrorText, TruncatesToTheBuffer) {
  char out[6];
  FormatRuntimeErrorText("x", 3, out, sizeof out);
  EXPECT_EQ(std::string(out), Gbk("运行时出错!").substr(0, 5));
}

TEST(RuntimeErrorText, NumberedMessages) {
  const char* expected[] = {
      "数组成员引用下标超出定义范围",
      "未得到所需要的数值型数据",
      "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
      "数组成员引用下标必须大于等于1",
      "数据或数组类型不匹配",
      "调用DLL命令后发现堆栈错误",
      "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
      "被比较数据只能使用等于或不等于命令比较",
      "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
      "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
      "所提供参数的数据类型不符合要求",
  };
  for (int code = 1; code <= 11; ++code) {
    EXPECT_EQ(NumberedErrorMessage(code), Gbk(expected[code - 1])) << code;
  }
  EXPECT_STREQ(NumberedErrorMessage(0), "");
  EXPECT_STREQ(NumberedErrorMessage(12), "");
}

void EndRoutineThatSpeaks() {
  std::fputs("END-ROUTINE-RAN\n", stderr);
}

int32_t SuppressingIntercept(int32_t code, const char*) {
  std::fprintf(stderr, "INTERCEPT %d\n", code);
  return 1;
}

int32_t InterceptThatFailsAgain(int32_t code, const char*) {
  std::fprintf(stderr, "INTERCEPT %d\n", code);
  // A second error inside the intercept must not recurse into it.
  ReportRuntimeError("again", 0);
}

TEST(RuntimeErrorDeathTest, NumberedErrorShowsTheBoxAndExitsWithMinusOne) {
  EXPECT_EXIT(
      {
        InitRuntime(nullptr);
        SetEndRoutine(EndRoutineThatSpeaks);
        Services().raiseRuntimeError(4);
      },
      ExitedWithCode(255),
      ::testing::AllOf(
          HasSubstr("错误\n"),
          HasSubstr(
              "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1"),
          Not(HasSubstr("END-ROUTINE-RAN"))));
}

TEST(RuntimeErrorDeathTest, InterceptSuppressesTheBoxButTheProgramStillEnds) {
  EXPECT_EXIT(
      {
        InitRuntime(nullptr);
        SetEndRoutine(EndRoutineThatSpeaks);
        SetErrorIntercept(SuppressingIntercept);
        RaiseRuntimeError(2);
      },
      ExitedWithCode(255),
      ::testing::AllOf(HasSubstr("INTERCEPT 2"), Not(HasSubstr("运行时出错")),
                       Not(HasSubstr("END-ROUTINE-RAN"))));
}

TEST(RuntimeErrorDeathTest, AnErrorInsideTheInterceptIsReportedOnce) {
  EXPECT_EXIT(
      {
        InitRuntime(nullptr);
        SetErrorIntercept(InterceptThatFailsAgain);
        RaiseRuntimeError(5);
      },
      ExitedWithCode(255), ::testing::AllOf(HasSubstr("INTERCEPT 5"), HasSubstr("again")));
}

TEST(RuntimeErrorDeathTest, LibraryMessagesCarryNoCode) {
  EXPECT_EXIT(
      {
        InitRuntime(nullptr);
        RuntimeNotify(2027, reinterpret_cast<intptr_t>(Gbk("不能整除于零").c_str()), 0);
      },
      ExitedWithCode(255),
      ::testing::AllOf(HasSubstr("运行时出错!\r\n\r\n错误信息：不能整除于零\r\n"),
                       Not(HasSubstr("错误代码"))));
}

TEST(EndProgram, CallsTheEndRoutineOnceAndTellsTheLibraries) {
  static int endCalls = 0;
  static int libraryEnds = 0;
  endCalls = 0;
  libraryEnds = 0;
  LibraryDescriptor library{};
  library.notify = [](int32_t code, intptr_t, intptr_t) -> intptr_t {
    if (code == 6) ++libraryEnds;
    return 0;
  };
  const LibraryDescriptor* libraries[] = {&library};
  ImageHeader header{};
  header.libraryCount = 1;
  header.libraries = libraries;
  InitRuntime(&header);
  SetEndRoutine([] { ++endCalls; });
  EndProgram(0);
  EndProgram(0);
  EXPECT_EQ(endCalls, 1);
  EXPECT_EQ(libraryEnds, 1);
  InitRuntime(nullptr);
}

}  // namespace
}  // namespace rt
