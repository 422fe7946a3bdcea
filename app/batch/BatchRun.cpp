// The run keeps its list, index and last picture in the program's globals, as every window
// of the program does, but starts each run from an empty list: a second press must stamp
// what the folder holds now, not the first run's photos again.
#include "app/batch/BatchRun.h"

#include "app/batch/BatchFiles.h"
#include "app/batch/BatchWindowUnits.h"
#include "app/capture/WindowCapture.h"
#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "commands/files/FileCommands.h"
#include "commands/system/SystemCommands.h"
#include "commands/system/WindowCommands.h"
#include "libraries/ProgramDllCommands.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/TypeCode.h"

namespace app::batch {
namespace {

namespace Arg = rt::Arg;

// "待处理", "已处理"
constexpr const char kInputFolderName[] = "\xB4\xFD\xB4\xA6\xC0\xED";
constexpr const char kOutputFolderName[] = "\xD2\xD1\xB4\xA6\xC0\xED";
constexpr const char kPattern[] = "*.jpg";
// "正在处理 ", "："
constexpr const char kWorking[] = "\xD5\xFD\xD4\xDA\xB4\xA6\xC0\xED ";
constexpr const char kColon[] = "\xA3\xBA";
// "完成：", " 张照片已盖好水印，保存在“已处理”文件夹"
constexpr const char kDone[] = "\xCD\xEA\xB3\xC9\xA3\xBA";
constexpr const char kDoneTail[] =
    " \xD5\xC5\xD5\xD5\xC6\xAC\xD2\xD1\xB8\xC7\xBA\xC3\xCB\xAE\xD3\xA1\xA3\xAC\xB1\xA3\xB4\xE6\xD4"
    "\xDA\xA1\xB0\xD2\xD1\xB4\xA6\xC0\xED\xA1\xB1\xCE\xC4\xBC\xFE\xBC\xD0";
// "“待处理”文件夹里没有 JPG 照片"
constexpr const char kNothing[] =
    "\xA1\xB0\xB4\xFD\xB4\xA6\xC0\xED\xA1\xB1\xCE\xC4\xBC\xFE\xBC\xD0\xC0\xEF\xC3\xBB\xD3\xD0 JPG "
    "\xD5\xD5\xC6\xAC";

// The photo stays on screen this long before it is captured, so that whatever the platform
// draws late has landed.
constexpr int32_t kSettleMilliseconds = 200;

std::string RunDirectory() {
  auto* text = static_cast<char*>(rt::Call(cmd::GetRunDirectory, {}).Pointer());
  std::string out = text != nullptr ? text : "";
  rt::FreeMem(text);
  return out;
}

void PaintNow(uint32_t unit, rt::TypeCode type) {
  rt::Call(cmd::UpdateNow, {Arg::Unit(kBatchWindow, unit, type)});
}

void ShowStatus(const std::string& text) {
  // Two spaces keep the text off the window's edge, as the strip's first text has them.
  const std::string caption = "  " + text;
  SetText(kBatchWindow, kStatusLabel, kLabelCaption, caption.c_str());
  PaintNow(kStatusLabel, rt::kTypeLabel);
}

void SetButtonsBusy(bool busy) {
  SetBool(kBatchWindow, kLoadButton, kDisabled, busy);
  SetBool(kBatchWindow, kStampButton, kDisabled, busy);
}

// The output folder is made on the first run that has something to put in it.
void MakeOutputFolder(const std::string& folder) {
  const bool exists = rt::Call(cmd::FileExists, {Arg::Text(folder.c_str())}).As<int32_t>() != 0;
  if (!exists) libs::dll::CreateDirectoryA(folder.c_str(), 0);
}

std::string NameOf(const std::string& entry) {
  const size_t slash = entry.find_last_of('\\');
  return slash == std::string::npos ? entry : entry.substr(slash + 1);
}

// Stamps entry i of n: shows the photo, lets it settle, captures the photo area and writes it.
void StampOne(const std::string& entry, int32_t i, int32_t n, const std::string& input,
              const std::string& output) {
  Globals& g = G();
  g.batchIndex = i;
  ShowStatus(kWorking + std::to_string(i) + "/" + std::to_string(n) + kColon + NameOf(entry));
  void* bytes = rt::Call(cmd::ReadWholeFile, {Arg::Text(entry.c_str())}).Pointer();
  SetByteSet(kBatchWindow, kPhotoBox, kPicBoxPicture, bytes);
  rt::FreeMem(bytes);
  PaintNow(kPhotoBox, rt::kTypePicBox);
  rt::Call(cmd::Delay, {Arg::Int(kSettleMilliseconds)});
  ReplaceBlock(g.batchPicture,
               capture::CaptureAndCrop(WindowHandleOf(kBatchWindow, kWindowItself), kPhotoLeft,
                                       kPhotoTop, kPhotoWidth, kPhotoHeight));
  const std::string target = OutputPathFor(entry, input, output);
  rt::Call(cmd::WriteWholeFile, {Arg::Text(target.c_str()), Arg::Bytes(g.batchPicture)});
}

}  // namespace

std::string InputFolder() {
  return RunDirectory() + "\\" + kInputFolderName;
}

std::string OutputFolder() {
  return RunDirectory() + "\\" + kOutputFolderName;
}

int32_t RunBatch() {
  Globals& g = G();
  const std::string input = InputFolder();
  const std::string output = OutputFolder();
  // The old list's texts go with it.
  FreeTextArray(g.batchFileList);
  g.batchFileList = EmptyTextArray();
  SetButtonsBusy(true);
  ListFiles(input.c_str(), kPattern, &g.batchFileList, true);
  // The listing handles waiting input; the window may have been closed meanwhile.
  if (WindowHandleOf(kBatchWindow, kWindowItself) == 0) return TextArrayCount(g.batchFileList);

  const int32_t n = TextArrayCount(g.batchFileList);
  if (n > 0) MakeOutputFolder(output);
  for (int32_t i = 1; i <= n; ++i) {
    StampOne(TextArrayEntry(g.batchFileList, i - 1), i, n, input, output);
  }
  ShowStatus(n > 0 ? kDone + std::to_string(n) + kDoneTail : std::string(kNothing));
  SetButtonsBusy(false);
  return n;
}

}  // namespace app::batch
