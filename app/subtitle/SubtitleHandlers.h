// The event handlers of the caption window (SubtitleWindow) and of the caption library
// window (SubtitleLibraryWindow), as the form sources bind them.
#pragma once

#include <cstdint>

#include "runtime/image/HandlerTable.h"

namespace app::subtitle {

// SubtitleWindow
rt::HandlerResult OnSubtitleWindowLoaded(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnLoadProcessedPicture(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnOpenPhoto(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnCaptionChanged(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnSaveCaptionPicture(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnMoreCaptions(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnAddEffects(const uint32_t* words, int32_t wordCount);

// SubtitleLibraryWindow
rt::HandlerResult OnLibraryLoaded(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnKeywordChanged(const uint32_t* words, int32_t wordCount);
rt::HandlerResult OnInsertCaption(const uint32_t* words, int32_t wordCount);

}  // namespace app::subtitle
