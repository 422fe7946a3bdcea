// The batch window's event handlers.
#include "app/batch/BatchRun.h"
#include "app/batch/BatchWindowUnits.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "commands/files/FileCommands.h"
#include "forms/data/UnitId.h"
#include "forms/units/commondlg/CommonDlgUnit.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/image/HandlerTable.h"
#include "runtime/memory/RuntimeHeap.h"

namespace app::batch {

namespace Arg = rt::Arg;

// "载入水印": the chosen picture file becomes the watermark. A cancelled dialog keeps the
// watermark there is.
rt::HandlerResult OnLoadWatermark(const uint32_t*, int32_t) {
  const bool chosen = rt::Call(forms::OpenDialogCommand,
                               {Arg::Unit(kBatchWindow, kFileDialog, forms::kTypeCommonDlg)})
                          .As<int32_t>() != 0;
  if (!chosen) return {};
  const std::string path = GetText(kBatchWindow, kFileDialog, kDialogFileName);
  void* bytes = rt::Call(cmd::ReadWholeFile, {Arg::Text(path.c_str())}).Pointer();
  SetByteSet(kBatchWindow, kWatermarkBox, kPicBoxPicture, bytes);
  rt::FreeMem(bytes);
  return {};
}

// "一键批量打水印".
rt::HandlerResult OnStampAll(const uint32_t*, int32_t) {
  RunBatch();
  return {};
}

rt::HandlerResult OnClose(const uint32_t*, int32_t) {
  CloseWindow(kBatchWindow);
  return {};
}

}  // namespace app::batch
