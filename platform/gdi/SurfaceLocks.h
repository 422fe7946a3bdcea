// Holds the locks of up to three surfaces for one primitive. Any of them may be the same
// surface (a blit within one bitmap), which is locked once; distinct ones are taken
// together with std::lock so that two threads blitting A->B and B->A cannot deadlock.
#pragma once

#include <mutex>

#include "platform/gdi/Surface.h"

namespace platform::gdi {

class SurfaceLocks {
 public:
  SurfaceLocks(Surface* a, Surface* b = nullptr, Surface* c = nullptr) {
    if (b == a) b = nullptr;
    if (c == a || c == b) c = nullptr;
    if (a != nullptr) held_[count_++] = &a->lock();
    if (b != nullptr) held_[count_++] = &b->lock();
    if (c != nullptr) held_[count_++] = &c->lock();
    switch (count_) {
      case 1:
        held_[0]->lock();
        break;
      case 2:
        std::lock(*held_[0], *held_[1]);
        break;
      case 3:
        std::lock(*held_[0], *held_[1], *held_[2]);
        break;
      default:
        break;
    }
  }
  ~SurfaceLocks() {
    for (int i = 0; i < count_; ++i) held_[i]->unlock();
  }
  SurfaceLocks(const SurfaceLocks&) = delete;
  SurfaceLocks& operator=(const SurfaceLocks&) = delete;

 private:
  SurfaceMutex* held_[3] = {nullptr, nullptr, nullptr};
  int count_ = 0;
};

}  // namespace platform::gdi
