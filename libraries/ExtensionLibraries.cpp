// Libraries 2-5. Their unit types are described here and get interface routines when their
// unit classes are written; a library's command table lists the commands linked so far.
#include <iterator>

#include "forms/units/cartoon/CartoonCommands.h"
#include "forms/units/cartoon/CartoonTypes.h"
#include "forms/units/html/HtmlViewerUnit.h"
#include "forms/units/label/TransLabelUnit.h"
#include "forms/units/statusbar/StatusBarCommand.h"
#include "forms/units/statusbar/StatusBarUnit.h"
#include "libraries/DataTypeTables.h"
#include "libraries/ProgramLibraries.h"

namespace libs {

namespace {

constexpr uint32_t kWindowed = rt::kTypeStateWindowed;

rt::LibraryDescriptor MakeLibrary(const char* identifier, const char* displayName,
                                  uint32_t dataTypeCount, const rt::DataTypeDescriptor* types) {
  rt::LibraryDescriptor d{};
  d.marker = 0x01312D65;
  d.identifier = identifier;
  d.version[0] = 1;
  d.version[1] = 0;
  d.version[2] = 0;
  d.furtherVersion[0] = 3;
  d.furtherVersion[1] = 7;
  d.furtherVersion[2] = 3;
  d.furtherVersion[3] = 7;
  d.displayName = displayName;
  d.one = 1;
  d.flags = 0;
  d.dataTypeCount = dataTypeCount;
  d.dataTypes = types;
  d.commandCount = 0;
  d.commands = nullptr;
  d.notify = ExtensionLibraryNotify;
  return d;
}

rt::LibraryDescriptor MakeExtendedUiOne() {
  const rt::DataTypeDescriptor* types = BuildDataTypes(
      5,
      {
          {2, "\xD7\xB4\xCC\xAC\xCC\xF5" /* 状态条 */, "StatusBar", kWindowed,
           Unnamed({1017, 1006, 1003, 1013, 1023, 1024}), true, &forms::StatusBarInterface},
          {5, "\xCD\xB8\xC3\xF7\xB1\xEA\xC7\xA9" /* 透明标签 */, "TransLabel", kWindowed,
           Unnamed({1005, 1006, 1013, 1014, 1006, 1003, 1006}), true, &forms::TransLabelInterface},
      });
  rt::LibraryDescriptor d = MakeLibrary(
      "4bb4003860154917bc7d8230bf4fa58a",
      "\xC0\xA9\xD5\xB9\xBD\xE7\xC3\xE6\xD6\xA7\xB3\xD6\xBF\xE2\xD2\xBB" /* 扩展界面支持库一 */, 5,
      types);
  static const rt::CommandRoutine kCommands[] = {forms::SetStatusPartText};
  d.commandCount = static_cast<uint32_t>(std::size(kCommands));
  d.commands = kCommands;
  return d;
}

rt::LibraryDescriptor MakeExtendedUiTwo() {
  const rt::DataTypeDescriptor* types = BuildDataTypes(
      9, {
             {8,
              "\xB6\xAF\xBB\xAD\xBF\xF2" /* 动画框 */,
              "CartoonBox",
              kWindowed | rt::kTypeStateMovesChildren,
              {{1006, "\xB1\xDF\xBF\xF2" /* 边框 */, "border"},
               {1017, "\xB1\xB3\xBE\xB0\xD1\xD5\xC9\xAB" /* 背景颜色 */, "BackColor"},
               {1009, "\xB1\xB3\xBE\xB0\xCD\xBC\xC6\xAC" /* 背景图片 */, "pic"},
               {1006, "\xCF\xD4\xCA\xBE\xB7\xBD\xCA\xBD" /* 显示方式 */, "PicDrawMode"},
               {1006, "\xBB\xAD\xB1\xCA\xC0\xE0\xD0\xCD" /* 画笔类型 */, "PenStyle"},
               {1006, "\xBB\xAD\xB3\xF6\xB7\xBD\xCA\xBD" /* 画出方式 */, "DrawRop2"},
               {1001, nullptr, "PenWidth"},
               {1014, nullptr, "PenColor"},
               {1006, nullptr, "BrushStyle"},
               {1014, nullptr, "BrushColor"},
               {1014, nullptr, "TextColor"},
               {1013, nullptr, "font"},
               {1006, nullptr, "TextBackMode"}},
              true,
              &forms::CartoonBoxInterface},
             // Objects are copies of a template that is never shown.
             {9,
              "\xB6\xAF\xBB\xAD\xCE\xEF\xCC\xE5" /* 动画物体 */,
              "CartoonObject",
              rt::kTypeStateNonVisual,
              {{1005, "\xCE\xC4\xD7\xD6" /* 文字 */, "text"},
               {1013, "\xD7\xD6\xCC\xE5" /* 字体 */, "font"},
               {1014, "\xCE\xC4\xB1\xBE\xD1\xD5\xC9\xAB" /* 文本颜色 */, "TextColor"},
               {1009, "\xCD\xBC\xC6\xAC" /* 图片 */, "picture"},
               {1003, "\xD7\xD4\xB6\xAF\xC8\xA1\xCD\xB8\xC3\xF7\xC9\xAB" /* 自动取透明色 */,
                "AutoGetTransColor"},
               {1014, "\xCD\xB8\xC3\xF7\xC9\xAB" /* 透明色 */, "TransparentColor"},
               {1003, "\xB2\xA5\xB7\xC5\xB6\xAF\xBB\xAD" /* 播放动画 */, "PlayGIF"},
               {1001, "\xB6\xAF\xBB\xAD\xBC\xE4\xB8\xF4\xCA\xB1\xBC\xE4" /* 动画间隔时间 */,
                "GIFDelay"},
               {1003, "\xB6\xAF\xBB\xAD\xD7\xD4\xB6\xAF\xCF\xFA\xBB\xD9" /* 动画自动销毁 */,
                "GIFAutoDestroy"},
               {1014, "\xC7\xF7\xCF\xF2\xC9\xAB" /* 趋向色 */, "TrendColor"},
               {1001, "\xC7\xF7\xCF\xF2\xB3\xCC\xB6\xC8" /* 趋向程度 */, "TrendDepth"},
               {1001, "\xC1\xC1\xB6\xC8" /* 亮度 */, "light"},
               {1001, "\xCD\xB8\xC3\xF7\xB6\xC8" /* 透明度 */, "alpha"},
               {1001, "\xCB\xF5\xB7\xC5\xB1\xC8" /* 缩放比 */, "zoom"},
               {1001, "\xB2\xE3\xB4\xCE" /* 层次 */, "layer"},
               {1001, "\xBD\xC7\xB6\xC8" /* 角度 */, "angle"},
               {1003, "\xD0\xFD\xD7\xAA\xB8\xFA\xCB\xE6" /* 旋转跟随 */, "RotateFollow"},
               {1006, "\xB7\xAD\xD7\xAA" /* 翻转 */, "TurnType"},
               {1001, "\xC9\xFA\xB4\xE6\xCA\xB1\xBC\xE4" /* 生存时间 */, "ExistTime"},
               {1012, "\xB4\xB4\xBD\xA8\xC9\xF9\xD2\xF4" /* 创建声音 */, "CreateSound"},
               {1012, "\xCF\xFA\xBB\xD9\xC9\xF9\xD2\xF4" /* 销毁声音 */, "DestroySound"},
               {1003, "\xD4\xCA\xD0\xED\xC5\xF6\xD7\xB2" /* 允许碰撞 */, "CollideAllowed"},
               {1012, "\xC5\xF6\xD7\xB2\xC9\xF9\xD2\xF4" /* 碰撞声音 */, "CollidedSound"},
               {1001, "\xC0\xE0\xD0\xCD\xD6\xB5" /* 类型值 */, "type"}},
              true,
              &forms::CartoonObjectInterface},
         });
  rt::LibraryDescriptor d = MakeLibrary(
      "d09f2340818511d396f6aaf844c7e325",
      "\xC0\xA9\xD5\xB9\xBD\xE7\xC3\xE6\xD6\xA7\xB3\xD6\xBF\xE2\xB6\xFE" /* 扩展界面支持库二 */, 9,
      types);
  static const rt::CommandRoutine kCommands[] = {
      forms::PlaceObject,   forms::DestroyObjects, forms::SetObjectAlpha, forms::SetObjectLayer,
      forms::GetObjectX,    forms::GetObjectY,     forms::GetObjectWidth, forms::GetObjectHeight,
      forms::SetObjectZoom, forms::SnapshotBox,
  };
  d.commandCount = static_cast<uint32_t>(std::size(kCommands));
  d.commands = kCommands;
  return d;
}

rt::LibraryDescriptor MakeHtmlViewer() {
  const rt::DataTypeDescriptor* types = BuildDataTypes(
      1, {
             {1,
              "\xB3\xAC\xCE\xC4\xB1\xBE\xE4\xAF\xC0\xC0\xBF\xF2" /* 超文本浏览框 */,
              "HtmlViewer",
              kWindowed,
              {{1006, "\xD7\xD6\xCC\xE5\xB4\xF3\xD0\xA1" /* 字体大小 */, "FontSize"},
               {1003, "\xC0\xEB\xCF\xDF\xE4\xAF\xC0\xC0" /* 离线浏览 */, "Offline"},
               {1003, "\xBE\xB2\xC4\xAC" /* 静默 */, "Silent"},
               {1016, "\xB5\xD8\xD6\xB7" /* 地址 */, "url"},
               {1005, "\xD7\xB4\xCC\xAC\xCC\xF5\xCE\xC4\xB1\xBE" /* 状态条文本 */, "StatusText"},
               {1005, "\xB1\xEA\xCC\xE2" /* 标题 */, "Caption"}},
              true,
              &forms::html::HtmlViewerInterface},
         });
  return MakeLibrary(
      "a7c1e5f0b2d94c6e8f3a1b5d7e9c0f24",
      "\xB3\xAC\xCE\xC4\xB1\xBE\xE4\xAF\xC0\xC0\xBF\xF2\xD6\xA7\xB3\xD6\xBF\xE2" /* 超文本浏览框支持库
                                                                                  */
      ,
      1, types);
}

rt::LibraryDescriptor MakeApplicationInterface() {
  // The program uses none of this library's data types.
  const rt::DataTypeDescriptor* types = BuildDataTypes(11, {});
  return MakeLibrary(
      "f7fc1ae45e4a4b8d9c6e0d2b3a1c5e87",
      "\xD3\xA6\xD3\xC3\xBD\xD3\xBF\xDA\xD6\xA7\xB3\xD6\xBF\xE2" /* 应用接口支持库 */, 11, types);
}

}  // namespace

const rt::LibraryDescriptor* ExtendedUiLibraryOne() {
  static const rt::LibraryDescriptor library = MakeExtendedUiOne();
  return &library;
}

const rt::LibraryDescriptor* ExtendedUiLibraryTwo() {
  static const rt::LibraryDescriptor library = MakeExtendedUiTwo();
  return &library;
}

const rt::LibraryDescriptor* HtmlViewerLibrary() {
  static const rt::LibraryDescriptor library = MakeHtmlViewer();
  return &library;
}

const rt::LibraryDescriptor* ApplicationInterfaceLibrary() {
  static const rt::LibraryDescriptor library = MakeApplicationInterface();
  return &library;
}

const rt::LibraryDescriptor* const* ProgramLibraryTable() {
  static const rt::LibraryDescriptor* const table[kLibraryCount] = {
      CoreLibrary(),       ExtendedUiLibraryOne(),        ExtendedUiLibraryTwo(),
      HtmlViewerLibrary(), ApplicationInterfaceLibrary(),
  };
  return table;
}

}  // namespace libs
