// Velmora started in the test process, headless, and what its tests share to drive its
// windows and read back what they wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32_types.h"

namespace velmoratest {

// The runtime started from Velmora's image, the globals made and their end routine set, as
// the entry routine does; no window is loaded.
void StartVelmora();
// The program's end as the runtime makes it when the last window closes.
void EndVelmora();

// Loads a window without waiting for it to close (the program itself always waits).
void OpenWindow(uint32_t window);
// The platform handle of a window (unit 0) or of one of its units; null when not loaded.
HWND Handle(uint32_t window, uint32_t unit = 0);
void Pump();

// The middle of a unit clicked; a second passes first on the virtual clock, so that two
// clicks never make a double click.
void ClickUnit(uint32_t window, uint32_t unit);
// A key pressed while a modifier is held; the platform's key state is the input's, so the
// modifier is let go only after the key was handled.
void PressWith(int modifier, int key);

std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
// A byte-set property's bytes.
std::vector<uint8_t> ByteSetOf(uint32_t window, uint32_t unit, int32_t property);
void HandOver(const std::vector<uint8_t>& picture);  // as the processed picture

// `step` runs each time the runtime's loop runs out of work while this lives: the program's
// windows are modal, and this is how a test acts while one of them waits.
class WhenIdle {
 public:
  explicit WhenIdle(std::function<void()> step);
  ~WhenIdle();
  WhenIdle(const WhenIdle&) = delete;
  WhenIdle& operator=(const WhenIdle&) = delete;

 private:
  std::function<void()> step_;
  HWND anchor_;
};

class VelmoraTest : public ::testing::Test {
 protected:
  void SetUp() override { StartVelmora(); }
  void TearDown() override;
  // A private folder for the test's files, removed at its end.
  const std::string& Folder();

 private:
  std::string folder_;
};

}  // namespace velmoratest
