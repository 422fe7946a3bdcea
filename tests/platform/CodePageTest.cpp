#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel32.h"
#include "tests/platform/PlatformTestSupport.h"

namespace {

using platform_test::kPhotoGbk;
using platform_test::kPhotoUtf8;

std::u16string ToWide(UINT codePage, std::string_view bytes, DWORD flags = 0) {
  int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                              nullptr, 0);
  std::u16string wide(static_cast<size_t>(n), u'\0');
  if (n > 0) {
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        n);
  }
  return wide;
}

std::string ToNarrow(UINT codePage, std::u16string_view wide) {
  int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n), '\0');
  if (n > 0) {
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), n,
                        nullptr, nullptr);
  }
  return narrow;
}

TEST(CodePage, CountOnlyCallsIncludeTheTerminatorOnlyForMinusOneLengths) {
  // "照片" is two characters of two bytes each.
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, kPhotoGbk, -1, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, kPhotoGbk, 4, nullptr, 0), 2);
  WCHAR probe[1];
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, kPhotoGbk, 4, probe, 0), 2) << "a zero size only counts";
  std::u16string wide = u"\u7167\u7247";
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr), 5);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr), 7);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), 2, nullptr, 0, nullptr, nullptr), 6);
}

TEST(CodePage, ConversionWritesTheTerminatorOnlyWhenItWasCounted) {
  WCHAR buffer[8];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  ASSERT_EQ(MultiByteToWideChar(CP_GBK, 0, kPhotoGbk, -1, buffer, 8), 3);
  EXPECT_EQ(std::u16string(buffer, 3), std::u16string(u"\u7167\u7247\0", 3));
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  ASSERT_EQ(MultiByteToWideChar(CP_GBK, 0, kPhotoGbk, 4, buffer, 8), 2);
  EXPECT_EQ(buffer[2], u'#');

  char narrow[8];
  std::fill(std::begin(narrow), std::end(narrow), '#');
  ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u7167\u7247", -1, narrow, 8, nullptr, nullptr), 7);
  EXPECT_STREQ(narrow, kPhotoUtf8);
}

TEST(CodePage, TooSmallBufferFailsWithInsufficientBuffer) {
  WCHAR wide[2];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, kPhotoGbk, -1, wide, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, kPhotoGbk, 4, wide, 2), 2) << "an exact fit is enough";

  char narrow[6];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u7167\u7247", -1, narrow, 6, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"\u7167\u7247", 2, narrow, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodePage, InvalidParametersAndFlagsAreRefused) {
  WCHAR wide[8];
  char narrow[8];
  BOOL used;
  struct Case {
    const char* what;
    std::function<int()> call;
    DWORD error;
  };
  const Case cases[] = {
      {"zero length", [&] { return MultiByteToWideChar(CP_GBK, 0, "a", 0, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"length below -1", [&] { return MultiByteToWideChar(CP_GBK, 0, "a", -2, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"null source", [&] { return MultiByteToWideChar(CP_GBK, 0, nullptr, 1, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"null buffer with a size",
       [&] { return MultiByteToWideChar(CP_GBK, 0, "a", 1, nullptr, 8); }, ERROR_INVALID_PARAMETER},
      {"negative size", [&] { return MultiByteToWideChar(CP_GBK, 0, "a", 1, wide, -1); },
       ERROR_INVALID_PARAMETER},
      {"unknown code page", [&] { return MultiByteToWideChar(12345, 0, "a", 1, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"UTF-8 with a composition flag",
       [&] { return MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, wide, 8); },
       ERROR_INVALID_FLAGS},
      {"unknown flag", [&] { return MultiByteToWideChar(CP_GBK, 0x100, "a", 1, wide, 8); },
       ERROR_INVALID_FLAGS},
      {"wide zero length",
       [&] { return WideCharToMultiByte(CP_GBK, 0, u"a", 0, narrow, 8, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"UTF-8 with a default char",
       [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 8, "?", nullptr); },
       ERROR_INVALID_PARAMETER},
      {"UTF-8 with usedDefault",
       [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 8, nullptr, &used); },
       ERROR_INVALID_PARAMETER},
      {"GBK with the UTF-8 only flag",
       [&] {
         return WideCharToMultiByte(CP_GBK, WC_ERR_INVALID_CHARS, u"a", 1, narrow, 8, nullptr,
                                    nullptr);
       },
       ERROR_INVALID_FLAGS},
      {"source and buffer overlap",
       [&] {
         alignas(WCHAR) char text[8] = "abc";
         return MultiByteToWideChar(CP_GBK, 0, text, 4, reinterpret_cast<WCHAR*>(text), 4);
       },
       ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(c.call(), 0) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
}

TEST(CodePage, AnsiCodePageIsGbkWithTheEuroAt0x80) {
  EXPECT_EQ(GetACP(), CP_GBK);
  EXPECT_EQ(ToWide(CP_ACP, "\x80"), u"\u20AC");
  EXPECT_EQ(ToWide(CP_GBK, "\x80"), u"\u20AC");
  EXPECT_EQ(ToNarrow(CP_ACP, u"\u20AC"), "\x80");
  EXPECT_EQ(ToWide(CP_ACP, kPhotoGbk), u"\u7167\u7247");
  // A trail byte in the ASCII range belongs to its lead byte: 0x81 0x40 is U+4E02.
  EXPECT_EQ(ToWide(CP_GBK,
                   "\x81\x40"
                   "A"),
            u"\u4E02A");
  EXPECT_EQ(ToNarrow(CP_GBK, u"\u4E02A"),
            "\x81\x40"
            "A");
}

TEST(CodePage, Utf8BeyondTheBasicPlaneBecomesSurrogatePairs) {
  // U+1F600 and back.
  EXPECT_EQ(ToWide(CP_UTF8, "x\xF0\x9F\x98\x80y"), u"x\xD83D\xDE00y");
  EXPECT_EQ(ToNarrow(CP_UTF8, u"x\xD83D\xDE00y"), "x\xF0\x9F\x98\x80y");
}

TEST(CodePage, InvalidUtf8IsReplacedOrRefusedOnRequest) {
  EXPECT_EQ(ToWide(CP_UTF8,
                   "a\xFF"
                   "b"),
            u"a\uFFFDb");
  // A sequence cut short counts once; overlong forms and encoded surrogates byte by byte.
  EXPECT_EQ(ToWide(CP_UTF8, "a\xE7\x85"), u"a\uFFFD");
  EXPECT_EQ(ToWide(CP_UTF8,
                   "\xE7\x85"
                   "b"),
            u"\uFFFDb");
  EXPECT_EQ(ToWide(CP_UTF8, "\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(ToWide(CP_UTF8, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(ToWide(CP_UTF8, "\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");

  WCHAR wide[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, wide, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xE7\x85", 3, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, kPhotoUtf8, -1, wide, 8), 3);
}

TEST(CodePage, InvalidGbkIsReplacedWithoutSwallowingTheNextCharacter) {
  // A lead byte before a byte that cannot trail it stands alone.
  EXPECT_EQ(ToWide(CP_GBK, "\x81 x"), u"? x");
  EXPECT_EQ(ToWide(CP_GBK, "ab\x81"), u"ab?");
  EXPECT_EQ(ToWide(CP_GBK,
                   "\xFF"
                   "a"),
            u"?a");
  // A well-formed pair that maps to nothing is one character.
  EXPECT_EQ(ToWide(CP_GBK,
                   "\xA2\xE3"
                   "a"),
            u"?a");
  // Conversion goes on after the bad spot.
  EXPECT_EQ(ToWide(CP_GBK, std::string("\x81 ") + kPhotoGbk), u"? \u7167\u7247");

  WCHAR wide[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, MB_ERR_INVALID_CHARS, "ab\x81", 3, wide, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePage, UnrepresentableCharactersUseTheDefaultCharacter) {
  char narrow[16];
  BOOL used = TRUE;
  // U+0E01 (Thai) has no GBK form.
  int n = WideCharToMultiByte(CP_GBK, 0, u"a\u0E01b", 3, narrow, 16, nullptr, &used);
  EXPECT_EQ(std::string(narrow, static_cast<size_t>(n)), "a?b");
  EXPECT_TRUE(used);
  n = WideCharToMultiByte(CP_GBK, 0, u"a\u0E01b", 3, narrow, 16, "*", &used);
  EXPECT_EQ(std::string(narrow, static_cast<size_t>(n)), "a*b");
  // A surrogate pair is one character and gets one default character.
  n = WideCharToMultiByte(CP_GBK, 0, u"\xD83D\xDE00", 2, narrow, 16, nullptr, &used);
  EXPECT_EQ(std::string(narrow, static_cast<size_t>(n)), "?");
  used = TRUE;
  WideCharToMultiByte(CP_GBK, 0, u"\u7167", 1, narrow, 16, nullptr, &used);
  EXPECT_FALSE(used);
}

TEST(CodePage, LoneSurrogatesBecomeReplacementCharactersInUtf8) {
  EXPECT_EQ(ToNarrow(CP_UTF8,
                     u"a\xD800"
                     "b"),
            "a\xEF\xBF\xBD"
            "b");
  char narrow[8];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"a\xDC00", 2, narrow, 8, nullptr,
                                nullptr),
            0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

// The way the program turns a GBK text into UTF-8: count, convert, count, convert, all with
// the terminator included.
TEST(CodePage, GbkToUtf8InFourCallsAsCallersDoIt) {
  std::string text = std::string("Hi ") + kPhotoGbk;
  int n = MultiByteToWideChar(936, 0, text.c_str(), -1, nullptr, 0);
  ASSERT_EQ(n, 6);
  std::vector<WCHAR> wide(static_cast<size_t>(n), 0);
  ASSERT_EQ(MultiByteToWideChar(936, 0, text.c_str(), -1, wide.data(), n), n);
  int m = WideCharToMultiByte(65001, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  ASSERT_EQ(m, 3 + 6 + 1);
  std::vector<char> utf8(static_cast<size_t>(m), 0);
  ASSERT_EQ(WideCharToMultiByte(65001, 0, wide.data(), -1, utf8.data(), m, nullptr, nullptr), m);
  EXPECT_EQ(std::string(utf8.data()), std::string("Hi ") + kPhotoUtf8);
}

TEST(CodePage, ConversionsOnSeveralThreadsDoNotDisturbEachOther) {
  std::string gbk = std::string("a\x81 ") + kPhotoGbk + "\x80" + kPhotoGbk;
  const std::u16string expected = u"a? \u7167\u7247\u20AC\u7167\u7247";
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        if (ToWide(CP_GBK, gbk) != expected) ++failures[t];
        if (ToNarrow(CP_GBK, u"\u7167\u7247\u20AC") != std::string(kPhotoGbk) + "\x80")
          ++failures[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

}  // namespace
