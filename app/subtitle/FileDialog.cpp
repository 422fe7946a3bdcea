#include "app/subtitle/FileDialog.h"

#include "forms/data/UnitId.h"
#include "forms/units/commondlg/CommonDlgUnit.h"
#include "runtime/calls/CommandCall.h"

namespace app::subtitle {

bool OpenFileDialog(uint32_t window, uint32_t dialog) {
  const rt::ArgRecord confirmed =
      rt::Call(forms::OpenDialogCommand, {rt::Arg::Unit(window, dialog, forms::kTypeCommonDlg)});
  return confirmed.Low() != 0;
}

}  // namespace app::subtitle
