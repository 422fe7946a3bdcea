// Texts of the forms engine's runtime errors and type tables, in GBK as they are shown
// (scripts/gbk-literal.py writes these lines from the UTF-8 in the comments).
#pragma once

namespace forms::msg {

// "未找到引发事件的窗口"
inline constexpr const char kEventWindowMissing[] =
    "\xCE\xB4\xD5\xD2\xB5\xBD\xD2\xFD\xB7\xA2\xCA\xC2\xBC\xFE\xB5\xC4\xB4\xB0\xBF\xDA";
// "未找到引发事件的窗口组件"
inline constexpr const char kEventUnitMissing[] =
    "\xCE\xB4\xD5\xD2\xB5\xBD\xD2\xFD\xB7\xA2\xCA\xC2\xBC\xFE\xB5\xC4\xB4\xB0\xBF\xDA\xD7\xE9\xBC"
    "\xFE";
// "引发事件的窗口组件无效"
inline constexpr const char kEventUnitInvalid[] =
    "\xD2\xFD\xB7\xA2\xCA\xC2\xBC\xFE\xB5\xC4\xB4\xB0\xBF\xDA\xD7\xE9\xBC\xFE\xCE\xDE\xD0\xA7";
// "未载入欲访问窗口组件所在的窗口"
inline constexpr const char kPropertyWindowMissing[] =
    "\xCE\xB4\xD4\xD8\xC8\xEB\xD3\xFB\xB7\xC3\xCE\xCA\xB4\xB0\xBF\xDA\xD7\xE9\xBC\xFE\xCB\xF9\xD4"
    "\xDA\xB5\xC4\xB4\xB0\xBF\xDA";
// "指定窗口尚未载入"
inline constexpr const char kWindowNotLoaded[] =
    "\xD6\xB8\xB6\xA8\xB4\xB0\xBF\xDA\xC9\xD0\xCE\xB4\xD4\xD8\xC8\xEB";
// "指定窗口或窗口组件不存在或尚未载入"
inline constexpr const char kUnitMissing[] =
    "\xD6\xB8\xB6\xA8\xB4\xB0\xBF\xDA\xBB\xF2\xB4\xB0\xBF\xDA\xD7\xE9\xBC\xFE\xB2\xBB\xB4\xE6\xD4"
    "\xDA\xBB\xF2\xC9\xD0\xCE\xB4\xD4\xD8\xC8\xEB";
// "载入窗口模板数据段出错!"
inline constexpr const char kFormDataUnreadable[] =
    "\xD4\xD8\xC8\xEB\xB4\xB0\xBF\xDA\xC4\xA3\xB0\xE5\xCA\xFD\xBE\xDD\xB6\xCE\xB3\xF6\xB4\xED!";

// "宋体"
inline constexpr const char kDefaultFace[] = "\xCB\xCE\xCC\xE5";
// "窗口"
inline constexpr const char kWindowTypeName[] = "\xB4\xB0\xBF\xDA";
// "菜单"
inline constexpr const char kMenuTypeName[] = "\xB2\xCB\xB5\xA5";
// "左边"
inline constexpr const char kLeft[] = "\xD7\xF3\xB1\xDF";
// "顶边"
inline constexpr const char kTop[] = "\xB6\xA5\xB1\xDF";
// "宽度"
inline constexpr const char kWidth[] = "\xBF\xED\xB6\xC8";
// "高度"
inline constexpr const char kHeight[] = "\xB8\xDF\xB6\xC8";
// "标记"
inline constexpr const char kTag[] = "\xB1\xEA\xBC\xC7";
// "可视"
inline constexpr const char kVisible[] = "\xBF\xC9\xCA\xD3";
// "禁止"
inline constexpr const char kDisabled[] = "\xBD\xFB\xD6\xB9";
// "鼠标指针"
inline constexpr const char kMousePointer[] = "\xCA\xF3\xB1\xEA\xD6\xB8\xD5\xEB";
// "标题"
inline constexpr const char kCaption[] = "\xB1\xEA\xCC\xE2";
// "选中"
inline constexpr const char kChecked[] = "\xD1\xA1\xD6\xD0";

}  // namespace forms::msg
