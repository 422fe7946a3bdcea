#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tests/platform/controls/DialogTestSupport.h"

namespace {

using namespace dialog_test;

constexpr int kIdFaceEdit = 1101;
constexpr int kIdFaceList = 1102;
constexpr int kIdStyleList = 1103;
constexpr int kIdSizeEdit = 1104;
constexpr int kIdSizeList = 1105;
constexpr int kIdColor = 1108;

class FontDialog : public DialogFixture {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    font_ = LOGFONTA{};
    cf_ = CHOOSEFONTA{};
    cf_.lStructSize = sizeof(cf_);
    cf_.lpLogFont = &font_;
    cf_.Flags = CF_SCREENFONTS | CF_EFFECTS;
    cf_.rgbColors = RGB(255, 0, 0);
  }
  BOOL Drive(const std::function<void(HWND)>& drive,
             const std::function<void(HWND)>& onBox = nullptr) {
    automation::SetDialogDriver([&](HWND dialog) {
      if (GetDlgItem(dialog, kIdFaceList) != nullptr)
        drive(dialog);
      else if (onBox)
        onBox(dialog);
    });
    BOOL result = ChooseFontA(&cf_);
    automation::ClearDialogDriver();
    return result;
  }
  // The last face of the list, so that choosing it is a change from the start.
  static std::string LastFace(HWND dialog) {
    auto faces = ListItems(GetDlgItem(dialog, kIdFaceList));
    return faces.empty() ? std::string() : faces.back();
  }

  LOGFONTA font_{};
  CHOOSEFONTA cf_{};
};

TEST_F(FontDialog, ChoosingFaceBoldAndSixteenPointsByKeyboard) {
  std::string face;
  std::vector<std::string> styles;
  BOOL ok = Drive([&](HWND dialog) {
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kIdFaceEdit));
    styles = ListItems(GetDlgItem(dialog, kIdStyleList));
    face = LastFace(dialog);
    automation::TypeGbk(face);  // replaces the selected text
    AltKey('Y');                // the style list
    automation::PressKey(VK_DOWN);
    automation::PressKey(VK_DOWN);
    AltKey('S');  // the size box, its text selected
    automation::TypeUtf8("16");
    automation::PumpDialogMessages();
    EXPECT_EQ(SendDlgItemMessageA(dialog, kIdFaceList, LB_GETCURSEL, 0, 0),
              SendDlgItemMessageA(dialog, kIdFaceList, LB_GETCOUNT, 0, 0) - 1)
        << "the typed face is selected in the list";
    AltKey('U');  // underline
    automation::PressKey(VK_RETURN);
  });
  ASSERT_TRUE(ok) << CommDlgExtendedError();
  ASSERT_EQ(styles.size(), 4u);
  EXPECT_EQ(styles[2], "\xB4\xD6\xCC\xE5") << "粗体";
  EXPECT_EQ(std::string(font_.lfFaceName), face);
  EXPECT_EQ(font_.lfHeight, -21) << "16 points at 96 dots per inch";
  EXPECT_EQ(font_.lfWeight, FW_BOLD);
  EXPECT_EQ(font_.lfItalic, 0);
  EXPECT_EQ(font_.lfUnderline, 1);
  EXPECT_EQ(font_.lfStrikeOut, 0);
  EXPECT_EQ(cf_.iPointSize, 160);
  EXPECT_EQ(cf_.rgbColors, RGB(255, 0, 0)) << "the colour it started with";
  EXPECT_EQ(cf_.nFontType, SCREEN_FONTTYPE | BOLD_FONTTYPE);
  auto log = automation::TakeFontDialogLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(log[0].confirmed);
  EXPECT_EQ(log[0].font.lfHeight, -21);
}

TEST_F(FontDialog, ListsShowOnlyWholeRows) {
  Drive([&](HWND dialog) {
    for (int id : {kIdFaceList, kIdStyleList, kIdSizeList}) {
      HWND list = GetDlgItem(dialog, id);
      RECT client{};
      GetClientRect(list, &client);
      const int row = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
      ASSERT_GT(row, 0);
      EXPECT_EQ(client.bottom % row, 0)
          << "list " << id << ": " << client.bottom << " px, rows of " << row << " px";
      EXPECT_GE(client.bottom, 4 * row) << "list " << id;
    }
    automation::PressKey(VK_ESCAPE);
  });
}

TEST_F(FontDialog, StartsFromTheLogFontAndPicksAColour) {
  std::string face;
  // Find a face name the dialog offers, then start a second dialog from it.
  Drive([&](HWND dialog) {
    face = LastFace(dialog);
    automation::PressKey(VK_ESCAPE);
  });
  ASSERT_FALSE(face.empty());
  std::strncpy(font_.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  font_.lfHeight = -32;  // 24 points
  font_.lfItalic = 1;
  cf_.Flags |= CF_INITTOLOGFONTSTRUCT;
  cf_.rgbColors = RGB(1, 2, 3);  // not a standard colour
  std::string sizeText;
  int colours = 0;
  BOOL ok = Drive([&](HWND dialog) {
    sizeText = TextOf(GetDlgItem(dialog, kIdSizeEdit));
    colours = static_cast<int>(SendDlgItemMessageA(dialog, kIdColor, CB_GETCOUNT, 0, 0));
    AltKey('C');
    automation::PressKey(VK_HOME);
    automation::PressKey(VK_RETURN);
  });
  ASSERT_TRUE(ok);
  EXPECT_EQ(sizeText, "24");
  EXPECT_EQ(colours, 17) << "the sixteen colours and the caller's own";
  EXPECT_EQ(std::string(font_.lfFaceName), face);
  EXPECT_EQ(font_.lfHeight, -32);
  EXPECT_EQ(font_.lfItalic, 1);
  EXPECT_EQ(font_.lfWeight, FW_NORMAL);
  EXPECT_EQ(cf_.nFontType, SCREEN_FONTTYPE | REGULAR_FONTTYPE | ITALIC_FONTTYPE);
  EXPECT_EQ(cf_.rgbColors, RGB(0, 0, 0)) << "the first colour, black";
}

TEST_F(FontDialog, UnknownFacesAndBadSizesAreRefusedAndCancelIsNoError) {
  int boxes = 0;
  BOOL ok = Drive(
      [&](HWND dialog) {
        automation::TypeUtf8("No Such Face 123");
        automation::PressKey(VK_RETURN);
        automation::PumpDialogMessages();
        EXPECT_EQ(boxes, 1);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SetDlgItemTextA(dialog, kIdFaceEdit, LastFace(dialog).c_str());
        SetDlgItemTextA(dialog, kIdSizeEdit, "0");
        automation::PressKey(VK_RETURN);
        automation::PumpDialogMessages();
        EXPECT_EQ(boxes, 2) << "a size out of range";
        automation::PressKey(VK_ESCAPE);
      },
      [&](HWND) {
        ++boxes;
        automation::PressKey(VK_RETURN);
      });
  EXPECT_FALSE(ok);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(font_.lfHeight, 0) << "nothing is written on cancel";
}

TEST_F(FontDialog, ScriptedAnswersAndBadInput) {
  LOGFONTA wanted{};
  std::strcpy(wanted.lfFaceName, "Serif");
  wanted.lfHeight = -16;
  wanted.lfWeight = FW_BOLD;
  wanted.lfStrikeOut = 1;
  automation::ScriptFontDialogAnswer(wanted, RGB(0, 0, 255));
  ASSERT_TRUE(ChooseFontA(&cf_));
  EXPECT_STREQ(font_.lfFaceName, "Serif");
  EXPECT_EQ(font_.lfHeight, -16);
  EXPECT_EQ(cf_.iPointSize, 120);
  EXPECT_EQ(font_.lfStrikeOut, 1);
  EXPECT_EQ(cf_.rgbColors, RGB(0, 0, 255));

  automation::ScriptFontDialogCancel();
  EXPECT_FALSE(ChooseFontA(&cf_));
  EXPECT_EQ(CommDlgExtendedError(), 0u);

  CHOOSEFONTA bad = cf_;
  bad.lStructSize = 4;
  EXPECT_FALSE(ChooseFontA(&bad));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  bad = cf_;
  bad.lpLogFont = nullptr;
  EXPECT_FALSE(ChooseFontA(&bad));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  EXPECT_FALSE(ChooseFontA(nullptr));
  bad = cf_;
  bad.Flags |= CF_LIMITSIZE;
  bad.nSizeMin = 20;
  bad.nSizeMax = 10;
  EXPECT_FALSE(ChooseFontA(&bad));
  EXPECT_EQ(CommDlgExtendedError(), CFERR_MAXLESSTHANMIN);

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ChooseFontA(&cf_)) << "nobody to answer without a screen or driver";
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

}  // namespace
