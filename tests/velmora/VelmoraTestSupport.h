// Velmora started in the test process, headless: the program's own image and windows, the
// runtime started from them, and ways to find, show and drive its windows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/win32_types.h"

namespace velmoratest {

// The runtime started from Velmora's image, the globals made and their end routine set, as
// the entry routine does; no window is loaded.
void StartVelmora();
// The program's end as the runtime makes it when the last window closes (the end routine
// runs), then everything waiting is handled.
void EndVelmora();

// Loads a window without waiting for it to close (the program itself always waits), so a
// test can look at it and drive it.
void OpenWindow(uint32_t window);
// The platform handle of a window (unit 0) or of one of its units; null when not loaded.
HWND Handle(uint32_t window, uint32_t unit = 0);
// Everything waiting goes through the runtime's loop, as in the program.
void Pump();

class VelmoraTest : public ::testing::Test {
 protected:
  void SetUp() override { StartVelmora(); }
  void TearDown() override { EndVelmora(); }
};

}  // namespace velmoratest
