#include "forms/units/statusbar/StatusBarCommand.h"

#include "commands/support/CommandArgs.h"
#include "commands/system/WindowCommands.h"
#include "forms/units/statusbar/StatusBarUnit.h"
#include "runtime/calls/ServiceTable.h"

namespace forms {

void SetStatusPartText(rt::ArgRecord*, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  if (!a.Given(0)) return;
  const rt::ArgRecord& reference = a.Record(0);
  void* object = reinterpret_cast<void*>(
      rt::RuntimeNotify(cmd::kNotifyFindUnitOrFail, static_cast<intptr_t>(reference.Low()),
                        static_cast<intptr_t>(reference.High())));
  if (!UnitObject::IsLive(object)) return;
  auto* bar = dynamic_cast<StatusBarUnit*>(static_cast<UnitObject*>(object));
  if (bar == nullptr) return;
  bar->SetPartText(a.Int(1, 0), a.Text(2));
}

}  // namespace forms
