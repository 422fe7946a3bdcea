// Library 1, the core library: the descriptor of the core commands completed with the
// library's data types. Windows and menu items take the forms engine's own descriptors;
// every other unit type describes its properties here with its unit class's interface
// routine (none yet for the types whose classes are still to come).
#include "commands/CoreLibrary.h"

#include <vector>

#include "forms/units/button/ButtonUnit.h"
#include "forms/units/commondlg/CommonDlgUnit.h"
#include "forms/units/edit/EditBoxUnit.h"
#include "forms/units/groupbox/GroupBoxUnit.h"
#include "forms/units/label/LabelUnit.h"
#include "forms/units/picbox/PicBoxUnit.h"
#include "forms/units/picbox/WindowSnapshotCommand.h"
#include "forms/units/progress/ProgressUnit.h"
#include "forms/units/scrollbar/ScrollBarUnit.h"
#include "forms/units/slider/SliderUnit.h"
#include "forms/units/timer/TimerUnit.h"
#include "forms/units/window/WindowUnit.h"
#include "libraries/DataTypeTables.h"
#include "libraries/ProgramLibraries.h"

namespace libs {

namespace {

constexpr uint32_t kCoreDataTypeCount = 51;

// Code 8 (interface identifier) is the runtime's own business for the object type and
// there is none for the core's other types; every other code is the commands' routine's.
intptr_t CoreNotify(int32_t code, intptr_t arg1, intptr_t arg2) {
  if (code == 8) return 0;
  return cmd::CoreLibraryNotify(code, arg1, arg2);
}

const rt::DataTypeDescriptor* CoreDataTypes() {
  constexpr uint32_t kWindowed = rt::kTypeStateWindowed;
  constexpr uint32_t kHiddenWindowed = rt::kTypeStateWindowed | rt::kTypeStateNonVisual;
  const rt::DataTypeDescriptor* window = forms::WindowTypeDescriptor();
  const rt::DataTypeDescriptor* menu = forms::MenuTypeDescriptor();
  const rt::DataTypeDescriptor* types = BuildDataTypes(
      kCoreDataTypeCount,
      {
          {5, "\xB1\xE0\xBC\xAD\xBF\xF2" /* 编辑框 */, "EditBox", kWindowed,
           Unnamed({1005, 1006, 1014, 1017, 1013, 1003, 1001, 1003, 1006, 1006, 1006,
                    1005, 1006, 1006, 1001, 1001, 1001, 1001, 1005, 1018, 1020}),
           true, &forms::EditBoxInterface},
          {6, "\xCD\xBC\xC6\xAC\xBF\xF2" /* 图片框 */, "PicBox", kWindowed,
           Unnamed({1006, 1017, 1009, 1006, 1003, 1018, 1020}), true, &forms::PicBoxInterface},
          {9, "\xB7\xD6\xD7\xE9\xBF\xF2" /* 分组框 */, "GroupBox",
           kWindowed | rt::kTypeStateMovesChildren, Unnamed({1005, 1006, 1014, 1017, 1013}), true,
           &forms::GroupBoxInterface},
          {10, "\xB1\xEA\xC7\xA9" /* 标签 */, "Label", kWindowed,
           Unnamed({1005, 1006, 1006, 1001, 1015, 1015, 1015, 1013, 1014, 1017, 1009,
                    1006, 1006, 1015, 1015, 1015, 1006, 1003, 1006, 1018, 1020}),
           true, &forms::LabelInterface},
          {11, "\xB0\xB4\xC5\xA5" /* 按钮 */, "Button", kWindowed,
           Unnamed({1009, 1006, 1005, 1006, 1006, 1013}), true, &forms::ButtonInterface},
          {17, "\xBA\xE1\xCF\xF2\xB9\xF6\xB6\xAF\xCC\xF5" /* 横向滚动条 */, "HScrollBar", kWindowed,
           Unnamed({1001, 1001, 1001, 1001, 1001, 1003}), true, &forms::HScrollBarInterface},
          {18, "\xD7\xDD\xCF\xF2\xB9\xF6\xB6\xAF\xCC\xF5" /* 纵向滚动条 */, "VScrollBar", kWindowed,
           Unnamed({1001, 1001, 1001, 1001, 1001, 1003}), true, &forms::VScrollBarInterface},
          {19, "\xBD\xF8\xB6\xC8\xCC\xF5" /* 进度条 */, "ProcessBar", kWindowed,
           Unnamed({1006, 1006, 1006, 1001, 1001, 1001}), true, &forms::ProgressInterface},
          {20, "\xBB\xAC\xBF\xE9\xCC\xF5" /* 滑块条 */, "SliderBar", kWindowed,
           Unnamed({1006, 1006, 1006, 1001, 1003, 1001, 1001, 1001, 1001, 1001, 1001, 1001}), true,
           &forms::SliderInterface},
          {31, "\xCD\xA8\xD3\xC3\xB6\xD4\xBB\xB0\xBF\xF2" /* 通用对话框 */, "CommonDlg",
           kHiddenWindowed,
           Unnamed({1006, 1005, 1005, 1005, 1001, 1005, 1005, 1003, 1003, 1003, 1003,
                    1003, 1014, 1003, 1003, 1003, 1003, 1005, 1001, 1005, 1006, 1001}),
           true, &forms::CommonDlgInterface},
          {32, "\xCA\xB1\xD6\xD3" /* 时钟 */, "Timer", kHiddenWindowed, Unnamed({1001}), true,
           &forms::TimerInterface},
          {48, "\xB6\xD4\xCF\xF3" /* 对象 */, "Object", 0, {}, false},
          {49, "\xB1\xE4\xCC\xE5" /* 变体 */, "Variant", 0, {}, false},
      });
  // The engine's descriptors are copied in whole: same names, properties and routines.
  auto* writable = const_cast<rt::DataTypeDescriptor*>(types);
  if (window != nullptr) writable[0] = *window;
  if (menu != nullptr) writable[2] = *menu;
  return types;
}

// The commands of the core library's own layer, then those that belong to its unit types.
const rt::CommandRoutine* CoreCommands(uint32_t* count) {
  static const std::vector<rt::CommandRoutine> table = [] {
    const rt::LibraryDescriptor* own = cmd::CoreLibraryDescriptor();
    std::vector<rt::CommandRoutine> t(own->commands, own->commands + own->commandCount);
    t.push_back(&forms::OpenDialogCommand);
    t.push_back(&forms::WindowSnapshotCommand);
    return t;
  }();
  *count = static_cast<uint32_t>(table.size());
  return table.data();
}

rt::LibraryDescriptor MakeCoreLibrary() {
  rt::LibraryDescriptor d = *cmd::CoreLibraryDescriptor();
  d.commands = CoreCommands(&d.commandCount);
  d.dataTypeCount = kCoreDataTypeCount;
  d.dataTypes = CoreDataTypes();
  d.notify = CoreNotify;
  return d;
}

}  // namespace

const rt::LibraryDescriptor* CoreLibrary() {
  static const rt::LibraryDescriptor library = MakeCoreLibrary();
  return &library;
}

}  // namespace libs
