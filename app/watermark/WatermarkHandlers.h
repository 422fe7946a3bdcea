// The handlers the watermark window's form binds (listed in app/forms/watermark.handlers).
#pragma once

#include <cstdint>

#include "runtime/image/HandlerTable.h"

namespace app::watermark {

rt::HandlerResult OnWindowLoaded(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnLoadProcessed(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnLoadBackground(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnLoadWatermark(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnSave(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnAlphaChanged(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnScaleChanged(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnHorizontalScroll(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnVerticalScroll(const uint32_t* words, int32_t wordCount);
// Box events 0, 2, 6 and 7.
rt::HandlerResult OnBoxPress(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnBoxRelease(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnBoxLeave(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnBoxMove(const uint32_t* words, int32_t wordCount);

}  // namespace app::watermark
