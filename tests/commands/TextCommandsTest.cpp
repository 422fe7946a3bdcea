#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "commands/text/TextCommands.h"
#include "runtime/calls/CommandCall.h"
#include "tests/commands/CommandTestSupport.h"
#include "tests/commands/TextScanReference.h"

namespace {

using cmdtest::Gbk;
using cmdtest::IntOf;
using cmdtest::TakeText;
using cmdtest::TakeTextArray;
using rt::Call;
namespace Arg = rt::Arg;
using textref::Pieces;
using textref::ReferenceFind;
using textref::ReferenceReplace;
using textref::ReferenceSplit;

// ---------------------------------------------------------------------------------------
// Random GBK/ASCII material. Few distinct bytes make matches frequent, and trail bytes
// that look like ASCII letters or like lead bytes put matches at trail positions.

class TextMaker {
 public:
  explicit TextMaker(uint32_t seed) : rng_(seed) {}

  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }

  std::string Text(size_t maxChars) {
    static const char kAscii[] = {'a', 'b', 'A', 'B', ',', 'x'};
    static const unsigned char kLeads[] = {0xB0, 0xC4, 0x81, 0xFE};
    static const unsigned char kTrails[] = {0xB0, 0xC4, 'a', 'A', ',', 0x40, 0xFE};
    std::string out;
    size_t chars = Below(static_cast<uint32_t>(maxChars) + 1);
    for (size_t i = 0; i < chars; ++i) {
      if (Below(2) == 0) {
        out += kAscii[Below(sizeof kAscii)];
      } else {
        out += static_cast<char>(kLeads[Below(sizeof kLeads)]);
        out += static_cast<char>(kTrails[Below(sizeof kTrails)]);
      }
    }
    // Now and then a lone lead byte at the end.
    if (Below(5) == 0) out += static_cast<char>(kLeads[Below(sizeof kLeads)]);
    return out;
  }

  // Mostly pieces of the text itself (which may begin on a trail byte), sometimes fresh.
  std::string Needle(const std::string& text) {
    if (text.empty() || Below(4) == 0) return Text(2);
    size_t from = Below(static_cast<uint32_t>(text.size()));
    size_t length = 1 + Below(4);
    return text.substr(from, length);
  }

  std::optional<int32_t> Start(size_t length) {
    switch (Below(6)) {
      case 0:
        return std::nullopt;
      case 1:
        return INT32_MIN;
      default:
        return static_cast<int32_t>(Below(static_cast<uint32_t>(length) + 4)) - 1;
    }
  }

 private:
  std::mt19937 rng_;
};

rt::ArgRecord OptionalInt(std::optional<int32_t> v) {
  return v ? Arg::Int(*v) : Arg::Omitted();
}

// ---------------------------------------------------------------------------------------

std::string Mid(const std::string& text, int32_t start, int32_t count) {
  return TakeText(Call(cmd::MidText, {Arg::Text(text.c_str()), Arg::Int(start), Arg::Int(count)}));
}

TEST(TextSlices, CountBytesAndCutBlindly) {
  std::string text = Gbk("a中b");
  EXPECT_EQ(IntOf(Call(cmd::TextLength, {Arg::Text(text.c_str())})), 4);
  EXPECT_EQ(IntOf(Call(cmd::TextLength, {Arg::Text(nullptr)})), 0);
  EXPECT_EQ(TakeText(Call(cmd::RightText, {Arg::Text(text.c_str()), Arg::Int(2)})), text.substr(2));
  EXPECT_EQ(TakeText(Call(cmd::RightText, {Arg::Text(text.c_str()), Arg::Int(100)})), text);
  EXPECT_EQ(TakeText(Call(cmd::RightText, {Arg::Text(text.c_str()), Arg::Int(INT32_MIN)})), "");
  EXPECT_EQ(Mid(text, 2, 2), Gbk("中"));
  EXPECT_EQ(Mid(text, 3, INT32_MAX), text.substr(2));
  for (int32_t start : {0, 5, INT32_MIN, INT32_MAX}) EXPECT_EQ(Mid(text, start, 2), "") << start;
  EXPECT_EQ(Mid(text, 1, -3), "");
  // A missing count takes the rest.
  EXPECT_EQ(TakeText(Call(cmd::MidText, {Arg::Text(text.c_str()), Arg::Int(4)})), "b");
}

int32_t Find(const std::string& text, const std::string& sought, rt::ArgRecord start = {},
             rt::ArgRecord fold = {}) {
  return IntOf(
      Call(cmd::FindText, {Arg::Text(text.c_str()), Arg::Text(sought.c_str()), start, fold}));
}

TEST(FindText, MatchesOnlyAtCharacterStarts) {
  // The trail byte of 啊 (B0 A1) followed by 'a' reads as the character A1 61.
  std::string text = Gbk("啊") + "a" +
                     "\xA1"
                     "a";
  EXPECT_EQ(Find(text,
                 "\xA1"
                 "a"),
            4);
  EXPECT_EQ(Find(text.substr(0, 3),
                 "\xA1"
                 "a"),
            -1);
  // x, B0B0, B0B0, lone B1: the pair B0 B1 lies on a trail byte unless the search starts
  // there, since a start inside a character re-anchors the character grid.
  std::string pairs = "x\xB0\xB0\xB0\xB0\xB1";
  EXPECT_EQ(Find(pairs, "\xB0\xB1"), -1);
  EXPECT_EQ(Find(pairs, "\xB0\xB1", Arg::Int(5)), 5);
  // An empty sought text depends only on whether anything remains after the start.
  EXPECT_EQ(Find("abc", "", Arg::Int(5)), -1);
  EXPECT_EQ(Find("abc", "", Arg::Int(2)), 1);
}

TEST(FindText, FoldsAsciiCaseOnlyForTheExactValueOne) {
  std::string text = Gbk("中文Hello");
  EXPECT_EQ(Find(text, "hELLO", Arg::Omitted(), Arg::Bool(true)), 5);
  EXPECT_EQ(Find(text, "hello", Arg::Omitted(), Arg::Int(2)), -1);
  // Bytes of two-byte characters never fold: 0xC1 is not 0xE1.
  EXPECT_EQ(Find("\xC1\xC1", "\xE1\xE1", Arg::Omitted(), Arg::Bool(true)), -1);
}

std::string Replace(const std::string& text, const std::string& sought,
                    std::vector<rt::ArgRecord> rest) {
  std::vector<rt::ArgRecord> frame = {Arg::Text(text.c_str()), Arg::Text(sought.c_str())};
  frame.insert(frame.end(), rest.begin(), rest.end());
  return TakeText(
      rt::CallCommand(cmd::ReplaceText, static_cast<int32_t>(frame.size()), frame.data()));
}

TEST(ReplaceText, StartAndCountLimitWhatIsReplaced) {
  const auto exact = Arg::Bool(true);
  EXPECT_EQ(Replace("a-a-a-a", "a", {Arg::Text("b"), Arg::Int(3), Arg::Int(1), exact}), "a-b-a-a");
  EXPECT_EQ(Replace("a-a-a-a", "a", {Arg::Text("b"), Arg::Int(2), Arg::Int(2), exact}), "a-b-b-a");
  EXPECT_EQ(Replace("a-a-a-a", "a", {Arg::Text("b"), Arg::Omitted(), Arg::Int(0), exact}),
            "a-a-a-a");
  // Every negative count means all, the most negative one included.
  EXPECT_EQ(Replace("a-a-a-a", "a", {Arg::Text("b"), Arg::Omitted(), Arg::Int(INT32_MIN), exact}),
            "b-b-b-b");
  // Omitted match case folds; an omitted replacement removes; nothing left is null.
  EXPECT_EQ(Replace("xAx", "a", {}), "xx");
  rt::ArgRecord r = Call(cmd::ReplaceText, {Arg::Text("xX"), Arg::Text("x")});
  EXPECT_EQ(r.type, rt::kTypeText);
  EXPECT_EQ(r.Pointer(), nullptr);
}

TEST(ReplaceText, DropsALoneLeadByteOnlyWhenTheScanReachesIt) {
  const auto exact = Arg::Bool(true);
  EXPECT_EQ(Replace("ab\xB0", "x", {Arg::Text("y"), Arg::Omitted(), Arg::Omitted(), exact}), "ab");
  EXPECT_EQ(Replace("ab\xB0", "x", {Arg::Text("y")}), "ab");
  EXPECT_EQ(Replace("ab\xB0", "xy", {Arg::Text("y"), Arg::Omitted(), Arg::Omitted(), exact}),
            "ab\xB0");
  // A trail byte equal to the needle does not keep a later lone lead.
  EXPECT_EQ(Replace("\xB0x\xB0", "x", {Arg::Text("y"), Arg::Omitted(), Arg::Omitted(), exact}),
            "\xB0x");
}

Pieces Split(const std::string& text, std::vector<rt::ArgRecord> rest = {}) {
  std::vector<rt::ArgRecord> frame = {Arg::Text(text.c_str())};
  frame.insert(frame.end(), rest.begin(), rest.end());
  return TakeTextArray(
      rt::CallCommand(cmd::SplitText, static_cast<int32_t>(frame.size()), frame.data()));
}

TEST(SplitText, PiecesBetweenDelimiters) {
  EXPECT_EQ(Split("a,,b"), (Pieces{"a", std::nullopt, "b"}));
  EXPECT_EQ(Split("a,b,"), (Pieces{"a", "b"}));
  EXPECT_EQ(Split(""), Pieces{});
  EXPECT_EQ(Split("abc", {Arg::Text("")}), Pieces{"abc"});
  EXPECT_EQ(Split("a,b,c", {Arg::Omitted(), Arg::Int(2)}), (Pieces{"a", "b"}));
  EXPECT_EQ(Split("a,b,c", {Arg::Omitted(), Arg::Int(INT32_MIN)}), Pieces{});
  // B0A3 ACB0 holds the delimiter A3 AC across two characters.
  std::string sep = Gbk("，");
  std::string text = Gbk("甲") + sep + "\xB0\xA3\xAC\xB0" + sep + "b";
  EXPECT_EQ(Split(text, {Arg::Text(sep.c_str())}), (Pieces{Gbk("甲"), "\xB0\xA3\xAC\xB0", "b"}));
}

TEST(TextCommands, WrongArgumentKindIsAFatalError) {
  EXPECT_EXIT(Call(cmd::FindText, {Arg::Int(5), Arg::Text("a")}), ::testing::ExitedWithCode(255),
              "所提供参数的数据类型不符合要求");
}

// ---------------------------------------------------------------------------------------
// The fast searches against the transcriptions above, on many random texts.

TEST(TextSearchDifferential, FindTextAgreesWithTheCharacterScan) {
  TextMaker make(20240611);
  for (int round = 0; round < 4000; ++round) {
    std::string text = make.Text(40);
    std::string sought = make.Needle(text);
    std::optional<int32_t> start = make.Start(text.size());
    int32_t fold = static_cast<int32_t>(make.Below(3));
    ASSERT_EQ(Find(text, sought, OptionalInt(start), Arg::Int(fold)),
              ReferenceFind(text, sought, start, fold))
        << "round " << round;
  }
}

TEST(TextSearchDifferential, ReplaceTextAgreesWithTheCharacterScan) {
  TextMaker make(77031);
  for (int round = 0; round < 4000; ++round) {
    std::string text = make.Text(40);
    std::string sought = make.Needle(text);
    std::string replacement = make.Text(3);
    std::optional<int32_t> start = make.Start(text.size());
    std::optional<int32_t> count;
    switch (make.Below(5)) {
      case 0:
        break;
      case 1:
        count = -static_cast<int32_t>(make.Below(3)) - 1;
        break;
      default:
        count = static_cast<int32_t>(make.Below(4));
        break;
    }
    bool matchCase = make.Below(2) == 0;
    ASSERT_EQ(Replace(text, sought,
                      {Arg::Text(replacement.c_str()), OptionalInt(start), OptionalInt(count),
                       Arg::Bool(matchCase)}),
              ReferenceReplace(text, sought, replacement, start, count, matchCase))
        << "round " << round;
  }
}

TEST(TextSearchDifferential, SplitTextAgreesWithTheCharacterScan) {
  TextMaker make(5150);
  for (int round = 0; round < 4000; ++round) {
    std::string text = make.Text(40);
    std::string delimiter = make.Below(3) == 0 ? std::string(",") : make.Needle(text);
    std::optional<int32_t> maximum;
    if (make.Below(3) == 0) maximum = static_cast<int32_t>(make.Below(6)) - 1;
    ASSERT_EQ(Split(text, {Arg::Text(delimiter.c_str()), OptionalInt(maximum)}),
              ReferenceSplit(text, delimiter, maximum))
        << "round " << round;
  }
}

// Long runs of two-byte characters make the character-start test count far back.
TEST(TextSearchDifferential, LongTwoByteRuns) {
  TextMaker make(99);
  std::string text;
  for (int i = 0; i < 3000; ++i) text += make.Below(50) == 0 ? "a" : "\xB0\xB0";
  for (const std::string sought : {"\xB0\xB0\xB0", "a\xB0",
                                   "\xB0"
                                   "a",
                                   "\xB0\xB0"
                                   "a\xB0"}) {
    for (int32_t start : {1, 2, 3, 1001, 1002}) {
      EXPECT_EQ(Find(text, sought, Arg::Int(start)), ReferenceFind(text, sought, start, 0));
      EXPECT_EQ(
          Replace(text, sought, {Arg::Text("#"), Arg::Int(start), Arg::Omitted(), Arg::Bool(true)}),
          ReferenceReplace(text, sought, "#", start, std::nullopt, true));
    }
    EXPECT_EQ(Split(text, {Arg::Text(sought.c_str())}), ReferenceSplit(text, sought, std::nullopt));
  }
}

}  // namespace
