// The form-data reader on arbitrary bytes: reading must end in success or a clean failure.
// A block that reads is then walked the way the forms engine walks it (every record, every
// binding, every type block) and changed the way it changes it, and written out and read
// again, so that a block the reader accepts can never lead to a read out of bounds later.
#include <cstddef>
#include <cstdint>
#include <string>

#include "forms/data/FormData.h"
#include "forms/data/TypeBlock.h"

namespace {

rt::HandlerResult Handler(const uint32_t*, int32_t) {
  return {};
}
const rt::HandlerEntry kHandlers[] = {{Handler}, {Handler}, {Handler}, {Handler}};

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

uint64_t Walk(const forms::FormTemplate& t) {
  uint64_t sum = 0;
  for (size_t i = 0; i < t.UnitCount(); ++i) {
    sum += t.FindHandler(i, -1) != nullptr;
    if (t.IsMenuItem(i)) {
      auto item = t.MenuItem(i);
      sum += item.Caption().size() + item.Name().size() + item.Level();
      continue;
    }
    auto unit = t.Unit(i);
    sum += unit.Name().size() + unit.Remark().size() + unit.Tag().size();
    for (uint8_t byte : unit.CursorData()) sum += byte;
    for (size_t c = 0; c < unit.ChildCount(); ++c) sum += unit.Child(c);
    for (size_t b = 0; b < unit.EventCount(); ++b) sum += unit.Binding(b).event;
    for (int32_t v : {unit.Left(), unit.Top(), unit.Width(), unit.Height()})
      sum += static_cast<uint32_t>(v);
    if (const auto* layout = forms::FindTypeBlockLayout(unit.Type())) {
      forms::TypeBlock block(*layout);
      if (forms::TypeBlock::Read(*layout, unit.TypeBlock(), block)) {
        forms::TypeBlock again(*layout);
        Check(forms::TypeBlock::Read(*layout, block.Write(), again) && again == block);
      }
    }
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  forms::FormData forms;
  if (!forms.Read(data, size, {kHandlers, 4})) {
    Check(forms.WindowCount() == 0);
    return 0;
  }
  volatile uint64_t sink = 0;
  for (size_t w = 0; w < forms.WindowCount(); ++w) {
    forms::FormTemplate& t = forms.WindowAt(w);
    sink = sink + Walk(t);
    // The engine's changes keep the table readable.
    size_t last = t.UnitCount() - 1;
    if (t.IsMenuItem(last)) {
      t.SetMenuCaption(last, "caption");
    } else {
      t.SetTag(last, std::string(size % 97, 't'));
      t.SetCursorData(last, {});
    }
    if (last > 0) t.RemoveUnit(last);
  }
  auto bytes = forms.Write();
  forms::FormData again;
  Check(again.Read(bytes.data(), bytes.size(), {kHandlers, 4}));
  Check(again.WindowCount() == forms.WindowCount());
  for (size_t w = 0; w < again.WindowCount(); ++w) sink = sink + Walk(again.WindowAt(w));
  return 0;
}
