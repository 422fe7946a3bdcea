// The caption library window: the library's lines, the keyword search over them, and the
// chosen caption carried back into the caption window.
#include <string>

#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "app/subtitle/SubtitleHandlers.h"
#include "app/subtitle/SubtitleUnits.h"
#include "commands/text/TextCommands.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/values/ValueBlocks.h"

namespace app::subtitle {

namespace {

namespace Arg = rt::Arg;

constexpr const char kLineBreak[] = "\r\n";

// FindText's fourth argument: anything but 1 compares bytes exactly.
constexpr bool kExactCase = false;

bool LineHolds(const char* line, const std::string& keyword) {
  const rt::ArgRecord found = rt::Call(cmd::FindText, {Arg::Text(line), Arg::Text(keyword.c_str()),
                                                       Arg::Omitted(), Arg::Bool(kExactCase)});
  return found.As<int32_t>() > 0;
}

}  // namespace

// The library box's text is the one place the lines are kept; each load splits it afresh.
rt::HandlerResult OnLibraryLoaded(const uint32_t*, int32_t) {
  const std::string library = GetText(kSubtitleLibraryWindow, kLibraryBox, kContentProperty);
  void* lines =
      rt::Call(cmd::SplitText, {Arg::Text(library.c_str()), Arg::Text(kLineBreak)}).Pointer();
  FreeTextArray(G().captionLines);
  G().captionLines = lines;
  return {};
}

// Matches are listed in library order, each on its own line, and set in one go rather than
// line by line: the result box is laid out and repainted once, whatever the number of
// matches.
rt::HandlerResult OnKeywordChanged(const uint32_t*, int32_t) {
  SetBool(kSubtitleLibraryWindow, kResultBox, kVisible, true);
  SetText(kSubtitleLibraryWindow, kResultBox, kContentProperty, "");
  const std::string keyword = GetText(kSubtitleLibraryWindow, kKeywordBox, kContentProperty);
  if (keyword.empty() || G().captionLines == nullptr) return {};
  const rt::ArrayShape shape = rt::ReadArrayShape(G().captionLines);
  const auto* elements = static_cast<const uint8_t*>(G().captionLines) + shape.headerBytes;
  std::string matches;
  for (uint64_t i = 0; i < shape.elementCount; ++i) {
    const auto* line = static_cast<const char*>(rt::ReadPointer(elements + i * sizeof(char*)));
    if (line == nullptr) continue;  // an empty line holds no keyword
    if (LineHolds(line, keyword)) matches.append(line).append(kLineBreak);
  }
  if (!matches.empty())
    SetText(kSubtitleLibraryWindow, kResultBox, kContentProperty, matches.c_str());
  return {};
}

// Setting the caption box's content raises its change event, which sets both caption lines.
rt::HandlerResult OnInsertCaption(const uint32_t*, int32_t) {
  const std::string chosen = GetText(kSubtitleLibraryWindow, kResultBox, kSelectedTextProperty);
  SetText(kSubtitleWindow, kCaptionBox, kContentProperty, chosen.c_str());
  return {};
}

}  // namespace app::subtitle
