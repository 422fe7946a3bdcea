// Stamping the watermark over every photo of the program folder's input folder: each photo
// is shown in the batch window under the watermark box, the window is captured as the
// platform draws it, and the photo area is written to the output folder under the photo's
// own name (BMP bytes, whatever the extension says).
#pragma once

#include <cstdint>
#include <string>

namespace app::batch {

// The folders beside the program: photos are taken from the first, results go to the second.
std::string InputFolder();
std::string OutputFolder();

// Runs the batch over the loaded batch window. Returns the number of photos found.
int32_t RunBatch();

}  // namespace app::batch
