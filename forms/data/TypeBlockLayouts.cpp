// The stored layout of every unit type's block, one table per type, fields in stored order.
// Each table lists the version word's successors: the property words in property order,
// then the buffers in property order, then the texts in property order, unless the type's
// own history orders them otherwise (the window). Properties that live only in the live
// control are listed apart, so that every property of the type is accounted for here.
#include "forms/data/TypeBlock.h"

namespace forms {
namespace {

constexpr BlockField W(uint16_t property, uint16_t code, const char* name, uint32_t value = 0,
                       uint8_t since = 1) {
  return {property, code, FieldKind::Word, since, name, value};
}
constexpr BlockField B(uint16_t property, uint16_t code, const char* name, uint8_t since = 1) {
  return {property, code, FieldKind::Buffer, since, name, 0};
}
constexpr BlockField T(uint16_t property, uint16_t code, const char* name, uint8_t since = 1) {
  return {property, code, FieldKind::Text, since, name, 0};
}

// The tables keep one field per line, in stored order.
// clang-format off

// Window, version 6. Eighteen words whose order is the block's history rather than the
// property order: version 1 stored 13 of them, version 2 added the 14th, version 3 two more,
// versions 4 and 5 one each; version 6 added the class-name text in front of the buffers.
// Defaults: a fixed border, the system colour, a control box and a minimise button, F1 help.
constexpr BlockField kWindowFields[] = {
    W(9, kPropChoice, "border", 2),
    W(12, kPropChoice, "option12"),
    W(10, kPropDefaultColor, "backColor", kSystemDefaultColor),
    W(16, kPropLogical, "maxButton"),
    W(17, kPropLogical, "minButton", 1),
    W(15, kPropLogical, "controlBox", 1),
    W(18, kPropChoice, "windowState"),
    W(19, kPropLogical, "switch19"),
    W(14, kPropChoice, "option14"),
    W(21, kPropLogical, "enterMovesFocus"),
    W(22, kPropLogical, "escCloses"),
    W(23, kPropLogical, "f1OpensHelp", 1),
    W(25, kPropInteger, "helpContext"),
    W(26, kPropLogical, "switch26", 0, 2),
    W(27, kPropLogical, "dragByClient", 0, 3),
    W(28, kPropChoice, "option28", 0, 3),
    W(29, kPropLogical, "switch29", 0, 4),
    W(30, kPropLogical, "switch30", 0, 5),
    T(31, kPropText, "className", 6),
    B(11, kPropPicture, "backPicture"),
    B(20, kPropIcon, "icon"),
    B(13, kPropSound, "music"),
    T(8, kPropText, "caption"),
    T(24, kPropFileName, "helpFile"),
};

// Edit box, version 2. Version 2 added the two type-specific texts at the end (as in the
// picture box and the label). Selection start, length and text are read from the control.
constexpr BlockField kEditBoxFields[] = {
    W(9, kPropChoice, "border", 1),
    W(10, kPropColor, "textColor"),
    W(11, kPropDefaultColor, "backColor", kSystemDefaultColor),
    W(13, kPropLogical, "switch13"),
    W(14, kPropInteger, "maxLength"),
    W(15, kPropLogical, "switch15"),
    W(16, kPropChoice, "option16"),
    W(17, kPropChoice, "option17"),
    W(18, kPropChoice, "inputMode"),
    W(20, kPropChoice, "option20"),
    W(21, kPropChoice, "option21"),
    W(22, kPropInteger, "int22"),
    W(23, kPropInteger, "int23"),
    B(12, kPropFont, "font"),
    T(8, kPropText, "content"),
    T(19, kPropText, "passwordChar"),
    T(27, kPropTypeData1, "data27", 2),
    T(28, kPropTypeData2, "data28", 2),
};
constexpr RunTimeProperty kEditBoxRunTime[] = {
    {24, kPropInteger, "selStart"},
    {25, kPropInteger, "selLength"},
    {26, kPropText, "selText"},
};

// Picture box, version 2: border, back colour, display mode, a switch (on by default), the
// picture; version 2 added the two type-specific texts.
constexpr BlockField kPicBoxFields[] = {
    W(8, kPropChoice, "border"),
    W(9, kPropDefaultColor, "backColor", kSystemDefaultColor),
    W(11, kPropChoice, "displayMode"),
    W(12, kPropLogical, "switch12", 1),
    B(10, kPropPicture, "picture"),
    T(13, kPropTypeData1, "data13", 2),
    T(14, kPropTypeData2, "data14", 2),
};

// Group box, version 1.
constexpr BlockField kGroupBoxFields[] = {
    W(9, kPropChoice, "option9"),
    W(10, kPropColor, "textColor"),
    W(11, kPropDefaultColor, "backColor", kSystemDefaultColor),
    B(12, kPropFont, "font"),
    T(8, kPropText, "caption"),
};

// Label, version 2 (version 2 added the two type-specific texts). Property 11 is at least 5.
constexpr BlockField kLabelFields[] = {
    W(9, kPropChoice, "hAlign"),
    W(10, kPropChoice, "vAlign"),
    W(11, kPropInteger, "int11", 5),
    W(12, kPropAlphaColor, "color12"),
    W(13, kPropAlphaColor, "color13"),
    W(14, kPropAlphaColor, "color14"),
    W(16, kPropColor, "textColor"),
    W(17, kPropDefaultColor, "backColor", kSystemDefaultColor),
    W(19, kPropChoice, "border"),
    W(20, kPropChoice, "option20"),
    W(21, kPropAlphaColor, "color21"),
    W(22, kPropAlphaColor, "color22"),
    W(23, kPropAlphaColor, "color23"),
    W(24, kPropChoice, "option24"),
    W(25, kPropLogical, "switch25"),
    W(26, kPropChoice, "option26"),
    B(15, kPropFont, "font"),
    B(18, kPropPicture, "backPicture"),
    T(8, kPropText, "caption"),
    T(27, kPropTypeData1, "data27", 2),
    T(28, kPropTypeData2, "data28", 2),
};

// Button, version 1: kind, horizontal and vertical alignment (centred by default), picture,
// font, caption.
constexpr BlockField kButtonFields[] = {
    W(9, kPropChoice, "kind"),
    W(11, kPropChoice, "hAlign", 1),
    W(12, kPropChoice, "vAlign", 1),
    B(8, kPropPicture, "picture"),
    B(13, kPropFont, "font"),
    T(10, kPropText, "caption"),
};

// Horizontal and vertical scroll bars, version 1: six words in property order.
constexpr BlockField kScrollBarFields[] = {
    W(8, kPropInteger, "min"),
    W(9, kPropInteger, "max", 100),
    W(10, kPropInteger, "pageChange", 10),
    W(11, kPropInteger, "lineChange", 1),
    W(12, kPropInteger, "position"),
    W(13, kPropLogical, "switch13"),
};

// Progress bar, version 1: six words in property order.
constexpr BlockField kProcessBarFields[] = {
    W(8, kPropChoice, "border"),
    W(9, kPropChoice, "style9"),
    W(10, kPropChoice, "style10", 1),
    W(11, kPropInteger, "min"),
    W(12, kPropInteger, "max", 100),
    W(13, kPropInteger, "position"),
};

// Slider bar, version 1: thirteen words, the twelve properties in order and one word that
// belongs to no property and is kept as read.
constexpr BlockField kSliderBarFields[] = {
    W(8, kPropChoice, "border"),
    W(9, kPropChoice, "style9"),
    W(10, kPropChoice, "style10"),
    W(11, kPropInteger, "tickFrequency", 1),
    W(12, kPropLogical, "switch12"),
    W(13, kPropInteger, "int13"),
    W(14, kPropInteger, "int14"),
    W(15, kPropInteger, "pageSize", 5),
    W(16, kPropInteger, "lineSize", 1),
    W(17, kPropInteger, "min"),
    W(18, kPropInteger, "max", 100),
    W(19, kPropInteger, "position"),
    W(kKeptWord, kPropInteger, "", 0),
};

// Common dialog, version 1: fifteen words (kind, initial filter, the five file-dialog
// switches, the font colour and four font switches, the size, the help command and context),
// then the texts in property order.
constexpr BlockField kCommonDlgFields[] = {
    W(8, kPropChoice, "kind"),
    W(12, kPropInteger, "initialFilter"),
    W(15, kPropLogical, "createPrompt"),
    W(16, kPropLogical, "fileMustExist"),
    W(17, kPropLogical, "overwritePrompt"),
    W(18, kPropLogical, "pathMustExist"),
    W(19, kPropLogical, "noChangeDir"),
    W(20, kPropColor, "fontColor"),
    W(21, kPropLogical, "bold"),
    W(22, kPropLogical, "italic"),
    W(23, kPropLogical, "strikeOut"),
    W(24, kPropLogical, "underline"),
    W(26, kPropInteger, "fontSize"),
    W(28, kPropChoice, "helpCommand"),
    W(29, kPropInteger, "helpContext"),
    T(9, kPropText, "title"),
    T(10, kPropText, "fileName"),
    T(11, kPropText, "filter"),
    T(13, kPropText, "initialDir"),
    T(14, kPropText, "defaultExt"),
    T(25, kPropText, "fontName"),
    T(27, kPropText, "helpFile"),
};

// Timer, version 1: the period in milliseconds (0 = stopped).
constexpr BlockField kTimerFields[] = {
    W(8, kPropInteger, "period"),
};

// Status bar, version 1: back colour, a choice, a switch; the font; the part list and the
// part texts as two buffers whose contents the status bar itself defines.
constexpr BlockField kStatusBarFields[] = {
    W(8, kPropDefaultColor, "backColor", kSystemDefaultColor),
    W(9, kPropChoice, "option9"),
    W(10, kPropLogical, "switch10"),
    B(11, kPropFont, "font"),
    B(12, kPropTypeBytes1, "parts"),
    B(13, kPropTypeBytes2, "partTexts"),
};

// Transparent label, version 1.
constexpr BlockField kTransLabelFields[] = {
    W(9, kPropChoice, "option9"),
    W(11, kPropColor, "textColor"),
    W(12, kPropChoice, "option12"),
    W(13, kPropLogical, "switch13"),
    W(14, kPropChoice, "option14"),
    B(10, kPropFont, "font"),
    T(8, kPropText, "caption"),
};

// HTML viewer, version 1: three words, then the page address. Status text and title are
// read from the live viewer.
constexpr BlockField kHtmlViewerFields[] = {
    W(8, kPropChoice, "FontSize", 2),
    W(9, kPropLogical, "Offline"),
    W(10, kPropLogical, "Silent"),
    T(11, kPropFileName, "url"),
};
constexpr RunTimeProperty kHtmlViewerRunTime[] = {
    {12, kPropText, "StatusText"},
    {13, kPropText, "Caption"},
};

// Animation box, version 2 (versions 1 and 2 store the same fields). Properties 14-20 are
// the box's further drawing settings: pen width and colour, brush style and colour, text
// colour, font and text background mode.
constexpr BlockField kCartoonBoxFields[] = {
    W(8, kPropChoice, "border"),
    W(9, kPropDefaultColor, "BackColor", kSystemDefaultColor),
    W(11, kPropChoice, "PicDrawMode"),
    W(12, kPropChoice, "PenStyle", 1),
    W(13, kPropChoice, "DrawRop2"),
    W(14, kPropInteger, "PenWidth", 1),
    W(15, kPropColor, "PenColor"),
    W(16, kPropChoice, "BrushStyle"),
    W(17, kPropColor, "BrushColor", 0xFFFFFF),
    W(18, kPropColor, "TextColor"),
    W(20, kPropChoice, "TextBackMode"),
    B(10, kPropPicture, "pic"),
    B(19, kPropFont, "font"),
};

// Animation object (the template objects are copied from), version 3 (all versions store the
// same fields). Zoom is per mille; trend colour white and no transparent key by default.
constexpr BlockField kCartoonObjectFields[] = {
    W(10, kPropColor, "TextColor"),
    W(12, kPropLogical, "AutoGetTransColor"),
    W(13, kPropColor, "TransparentColor", kSystemDefaultColor),
    W(14, kPropLogical, "PlayGIF"),
    W(15, kPropInteger, "GIFDelay"),
    W(16, kPropLogical, "GIFAutoDestroy"),
    W(17, kPropColor, "TrendColor", 0xFFFFFF),
    W(18, kPropInteger, "TrendDepth"),
    W(19, kPropInteger, "light"),
    W(20, kPropInteger, "alpha"),
    W(21, kPropInteger, "zoom", 1000),
    W(22, kPropInteger, "layer"),
    W(23, kPropInteger, "angle"),
    W(24, kPropLogical, "RotateFollow"),
    W(25, kPropChoice, "TurnType"),
    W(26, kPropInteger, "ExistTime"),
    W(29, kPropLogical, "CollideAllowed"),
    W(31, kPropInteger, "type"),
    B(9, kPropFont, "font"),
    B(11, kPropPicture, "picture"),
    B(27, kPropSound, "CreateSound"),
    B(28, kPropSound, "DestroySound"),
    B(30, kPropSound, "CollidedSound"),
    T(8, kPropText, "text"),
};

constexpr TypeBlockLayout kLayouts[] = {
    {kTypeWindow, "window", 6, kWindowFields, {}},
    {kTypeEditBox, "EditBox", 2, kEditBoxFields, kEditBoxRunTime},
    {kTypePicBox, "PicBox", 2, kPicBoxFields, {}},
    {kTypeGroupBox, "GroupBox", 1, kGroupBoxFields, {}},
    {kTypeLabel, "Label", 2, kLabelFields, {}},
    {kTypeButton, "Button", 1, kButtonFields, {}},
    {kTypeHScrollBar, "HScrollBar", 1, kScrollBarFields, {}},
    {kTypeVScrollBar, "VScrollBar", 1, kScrollBarFields, {}},
    {kTypeProcessBar, "ProcessBar", 1, kProcessBarFields, {}},
    {kTypeSliderBar, "SliderBar", 1, kSliderBarFields, {}},
    {kTypeCommonDlg, "CommonDlg", 1, kCommonDlgFields, {}},
    {kTypeTimer, "Timer", 1, kTimerFields, {}},
    {kTypeStatusBar, "StatusBar", 1, kStatusBarFields, {}},
    {kTypeTransLabel, "TransLabel", 1, kTransLabelFields, {}},
    {kTypeCartoonBox, "CartoonBox", 2, kCartoonBoxFields, {}},
    {kTypeCartoonObject, "CartoonObject", 3, kCartoonObjectFields, {}},
    {kTypeHtmlViewer, "HtmlViewer", 1, kHtmlViewerFields, kHtmlViewerRunTime},
};

// clang-format on

}  // namespace

std::span<const TypeBlockLayout> AllTypeBlockLayouts() {
  return kLayouts;
}

}  // namespace forms
