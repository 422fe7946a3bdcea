#include "forms/units/cartoon/CartoonCommands.h"

#include "commands/support/CommandArgs.h"
#include "forms/units/cartoon/CartoonBoxUnit.h"
#include "forms/units/cartoon/CartoonObjectUnit.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/memory/RuntimeHeap.h"

namespace forms {

namespace {

constexpr int32_t kNotifyFindUnit = 2006;
constexpr int32_t kNotifyFindUnitOrFail = 2007;

UnitObject* UnitOf(const cmd::CommandArgs& a, int32_t i, int32_t request) {
  if (!a.Given(i)) return nullptr;
  const rt::ArgRecord& r = a.Record(i);
  void* unit = reinterpret_cast<void*>(rt::RuntimeNotify(request, r.Low(), r.High()));
  return UnitObject::IsLive(unit) ? static_cast<UnitObject*>(unit) : nullptr;
}

// A box that does not exist is the runtime error of any unit lookup.
CartoonBoxUnit* BoxOf(const cmd::CommandArgs& a) {
  return dynamic_cast<CartoonBoxUnit*>(UnitOf(a, 0, kNotifyFindUnitOrFail));
}

const pic::SceneObject* ObjectOf(const cmd::CommandArgs& a, CartoonBoxUnit** box = nullptr) {
  CartoonBoxUnit* b = BoxOf(a);
  if (box != nullptr) *box = b;
  return b != nullptr ? b->Scene().Find(a.Int(1, 0)) : nullptr;
}

}  // namespace

void PlaceObject(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  CartoonBoxUnit* box = BoxOf(a);
  if (box == nullptr) return;
  auto* from = dynamic_cast<CartoonObjectUnit*>(UnitOf(a, 1, kNotifyFindUnit));
  pic::SceneObject object = from != nullptr ? from->Prototype() : DefaultPrototype();
  object.x = a.Int(2, 0);
  object.y = a.Int(3, 0);
  object.visible = a.BoolWord(4, 1) != 0;
  object.name = a.Text(5, "");
  cmd::SetInt(result, box->Scene().Place(std::move(object)));
}

void DestroyObjects(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  CartoonBoxUnit* box = BoxOf(a);
  if (box == nullptr) return;
  std::vector<int32_t> ids;
  for (int32_t i = 1; i < a.Count(); ++i) {
    if (a.Given(i)) ids.push_back(a.Int(i, 0));
  }
  cmd::SetInt(result, box->DestroyObjects(ids));
}

void SetObjectAlpha(rt::ArgRecord*, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  if (CartoonBoxUnit* box = BoxOf(a)) box->Scene().SetAlpha(a.Int(1, 0), a.Int(2, 0));
}

void SetObjectLayer(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  CartoonBoxUnit* box = BoxOf(a);
  if (box == nullptr) return;
  cmd::SetInt(result, box->Scene().SetLayer(a.Int(1, 0), a.Int(2, 0)) ? 1 : 0);
}

void GetObjectX(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  const pic::SceneObject* o = ObjectOf(a);
  cmd::SetInt(result, o != nullptr ? static_cast<int32_t>(o->Bounds().left) : 0);
}

void GetObjectY(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  const pic::SceneObject* o = ObjectOf(a);
  cmd::SetInt(result, o != nullptr ? static_cast<int32_t>(o->Bounds().top) : 0);
}

void GetObjectWidth(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  const pic::SceneObject* o = ObjectOf(a);
  cmd::SetInt(result, o != nullptr ? o->Width() : 0);
}

void GetObjectHeight(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  const pic::SceneObject* o = ObjectOf(a);
  cmd::SetInt(result, o != nullptr ? o->Height() : 0);
}

void SetObjectZoom(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  CartoonBoxUnit* box = BoxOf(a);
  if (box == nullptr) return;
  const int32_t horizontal = a.Int(2, 0);
  cmd::SetInt(result, box->Scene().SetZoom(a.Int(1, 0), horizontal, a.Int(3, horizontal)) ? 1 : 0);
}

void SnapshotBox(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  CartoonBoxUnit* box = BoxOf(a);
  if (box == nullptr) return;
  void* block = nullptr;
  // The file is composed straight into the byte set handed to the caller.
  box->Scene().Snapshot(
      a.Int(1, 0), a.Int(2, 0), a.Int(3, 0), a.Int(4, 0),
      static_cast<uint32_t>(a.Int(5, static_cast<int32_t>(pic::kNoTransparentKey))),
      [&](size_t bytes) -> uint8_t* {
        block = rt::BuildByteSet(rt::AllocMemSized, nullptr, bytes);
        return block != nullptr ? static_cast<uint8_t*>(block) + rt::kByteSetHeader : nullptr;
      });
  cmd::SetPointer(result, rt::kTypeByteSet, block);
}

}  // namespace forms
