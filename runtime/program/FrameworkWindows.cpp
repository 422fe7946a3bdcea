#include "runtime/program/FrameworkWindows.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/user32.h"

namespace rt {

namespace {

struct Registry {
  std::mutex lock;
  std::map<const FrameworkWindow*, std::unique_ptr<FrameworkWindow>> objects;
  std::map<HWND, FrameworkWindow*> byHandle;
  std::map<intptr_t, uint8_t> flags;

  FrameworkWindow* Find(const FrameworkWindow* object) {
    auto it = objects.find(object);
    return it == objects.end() ? nullptr : it->second.get();
  }
  void Unmap(FrameworkWindow* object) {
    if (object->handle == nullptr) return;
    auto it = byHandle.find(object->handle);
    if (it != byHandle.end() && it->second == object) byHandle.erase(it);
  }
};

Registry& TheRegistry() {
  static Registry* registry = new Registry();
  return *registry;
}

}  // namespace

FrameworkWindow* WrapWindowHandle(HWND window) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  auto object = std::make_unique<FrameworkWindow>();
  object->handle = window;
  FrameworkWindow* raw = object.get();
  r.objects.emplace(raw, std::move(object));
  if (window != nullptr) r.byHandle.emplace(window, raw);
  return raw;
}

void DeleteFrameworkWindow(FrameworkWindow* object) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  FrameworkWindow* known = r.Find(object);
  if (known == nullptr) return;
  r.Unmap(known);
  r.flags.erase(reinterpret_cast<intptr_t>(known));
  r.objects.erase(known);
}

HWND DetachFrameworkWindow(FrameworkWindow* object) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  FrameworkWindow* known = r.Find(object);
  if (known == nullptr) return nullptr;
  r.Unmap(known);
  HWND window = known->handle;
  known->handle = nullptr;
  return window;
}

HWND FrameworkWindowHandle(const FrameworkWindow* object) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  FrameworkWindow* known = r.Find(object);
  return known != nullptr ? known->handle : nullptr;
}

bool AttachFrameworkWindow(FrameworkWindow* object, HWND window) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  FrameworkWindow* known = r.Find(object);
  if (known == nullptr || window == nullptr || r.byHandle.count(window) != 0) return false;
  r.Unmap(known);
  known->handle = window;
  r.byHandle.emplace(window, known);
  return true;
}

int32_t LookUpObjectFlag(intptr_t key) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  auto it = r.flags.find(key);
  return it == r.flags.end() ? -1 : it->second;
}

void AddObjectFlag(intptr_t key, uint8_t flag) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  r.flags.emplace(key, flag);
}

bool RemoveObjectFlag(intptr_t key) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  return r.flags.erase(key) != 0;
}

void DestroyFlaggedObjects() {
  Registry& r = TheRegistry();
  std::vector<std::unique_ptr<FrameworkWindow>> doomed;
  {
    std::lock_guard guard(r.lock);
    for (const auto& [key, flag] : r.flags) {
      auto it = r.objects.find(reinterpret_cast<const FrameworkWindow*>(key));
      if (it == r.objects.end()) continue;  // not one of ours: nothing safe to ask of it
      r.Unmap(it->second.get());
      doomed.push_back(std::move(it->second));
      r.objects.erase(it);
    }
    r.flags.clear();
  }
  // Outside the lock: destroying a window sends messages that may come back here.
  for (const auto& object : doomed) {
    if (object->handle != nullptr && IsWindow(object->handle)) DestroyWindow(object->handle);
  }
}

void DeleteFrameworkWindowObjects() {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  r.objects.clear();
  r.byHandle.clear();
  r.flags.clear();
}

}  // namespace rt
