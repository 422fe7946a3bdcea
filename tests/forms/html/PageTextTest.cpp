// Page bytes to UTF-8 and page addresses: what each declaration or its absence means, with
// the expected text written out in UTF-8 and converted to the page's bytes by iconv in the
// test; addresses against what a browser makes of them.
#include <gtest/gtest.h>

#include "forms/units/html/PageAddress.h"
#include "forms/units/html/PageText.h"
#include "tests/common/Gbk.h"

namespace {

using forms::html::PageToUtf8;
using testing_gbk::Convert;
using testing_gbk::Gbk;

TEST(PageTextTest, EachPageDecodesByItsDeclarationOrItsBytes) {
  const std::string text = "标题 café — ok";  // GBK lacks nothing here but the dash is GBK too
  const std::string latin = "caf\xE9 na\xEFve \x93quoted\x94";
  const struct {
    const char* what;
    std::string bytes;
    const char* contentType;
    std::string expected;
  } kCases[] = {
      {"utf-8, nothing declared", text, "text/html", text},
      {"utf-8 with a byte-order mark", "\xEF\xBB\xBF" + text, "", text},
      {"gbk named by the server", Gbk(text), "text/html; charset=gbk", text},
      {"gb2312 named by a meta tag",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; "
       "charset=gb2312\">" +
           Gbk(text),
       "text/html",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">" + text},
      {"gbk named by a short meta tag", "<meta charset='GBK'>" + Gbk(text), "",
       "<meta charset='GBK'>" + text},
      {"gbk sniffed", Gbk(text), "", text},
      {"latin-1 named, read as windows-1252", latin, "text/html; charset=ISO-8859-1",
       "café naïve “quoted”"},
      {"latin-1 sniffed (not utf-8, not gbk pairs)", "caf\xE9!", "", "café!"},
      {"the server overrides the meta tag", "<meta charset=gbk>" + text, "text/html;charset=UTF-8",
       "<meta charset=gbk>" + text},
      {"utf-16 with a byte-order mark", "\xFF\xFE" + Convert(text, "UTF-16LE", "UTF-8"), "", text},
      {"invalid bytes in utf-8 become U+FFFD", "a\xC3(b", "text/html; charset=utf-8",
       "a\xEF\xBF\xBD(b"},
      {"a truncated gbk character at the end", Gbk("中") + "\xD6", "text/html; charset=gbk",
       "中\xEF\xBF\xBD"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(PageToUtf8(c.bytes, c.contentType), c.expected) << c.what;
  }
}

TEST(PageAddressTest, AddressesResolveAndOnlyLocalPagesReachLocalFiles) {
  using forms::html::MayReach;
  using forms::html::NormalizeAddress;
  using forms::html::ResolveAddress;
  EXPECT_EQ(NormalizeAddress("  www.example.org/a "), "http://www.example.org/a");
  EXPECT_EQ(NormalizeAddress("https://x.org/"), "https://x.org/");
  EXPECT_EQ(NormalizeAddress("/srv/my page#1.html"), "file:///srv/my%20page%231.html");
  EXPECT_EQ(forms::html::LocalPathOf("file:///srv/my%20page%231.html"), "/srv/my page#1.html");

  const struct {
    const char* base;
    const char* reference;
    const char* expected;
  } kResolve[] = {
      {"http://h/a/b.html", "c.html", "http://h/a/c.html"},
      {"http://h/a/b.html", "/c.png", "http://h/c.png"},
      {"http://h/a/b.html", "../c", "http://h/c"},
      {"http://h/a/b.html", "https://o/x", "https://o/x"},
      {"file:///srv/a/b.html", "img/p.png", "file:///srv/a/img/p.png"},
      {"", "c.html", "c.html"},
  };
  for (const auto& c : kResolve) {
    EXPECT_EQ(ResolveAddress(c.base, c.reference), c.expected) << c.base << " + " << c.reference;
  }

  const struct {
    const char* page;
    const char* target;
    bool allowed;
  } kReach[] = {
      {"http://h/", "http://o/", true},
      {"http://h/", "https://o/", true},
      {"http://h/", "file:///etc/hostname", false},
      {"https://h/", "FILE:///etc/hostname", false},
      {"file:///srv/a.html", "file:///srv/b.html", true},
      {"", "file:///srv/b.html", true},  // typed by the user or set by the program
      {"http://h/", "javascript:alert(1)", false},
      {"file:///srv/a.html", "ftp://h/x", false},
  };
  for (const auto& c : kReach) {
    EXPECT_EQ(MayReach(c.page, c.target), c.allowed) << c.page << " -> " << c.target;
  }
}

}  // namespace
