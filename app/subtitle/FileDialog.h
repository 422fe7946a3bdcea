// The common dialog's open command for a dialog unit of one of the caption windows.
#pragma once

#include <cstdint>

namespace app::subtitle {

// Shows the dialog; true when the user confirmed it (its file name is then the choice).
bool OpenFileDialog(uint32_t window, uint32_t dialog);

}  // namespace app::subtitle
