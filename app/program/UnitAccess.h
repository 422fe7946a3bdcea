// How the application reaches its windows: unit properties by (window, unit, property index)
// through the service table, and the window commands. Texts and byte sets read here are
// copied out and their runtime blocks freed; those set are lent for the call only.
#pragma once

#include <cstdint>
#include <string>

namespace app {

int32_t GetInt(uint32_t window, uint32_t unit, int32_t index);
void SetInt(uint32_t window, uint32_t unit, int32_t index, int32_t value);
void SetBool(uint32_t window, uint32_t unit, int32_t index, bool value);
std::string GetText(uint32_t window, uint32_t unit, int32_t index);
void SetText(uint32_t window, uint32_t unit, int32_t index, const char* text);
// A fresh byte-set block (null when empty), the caller's to free with FreeBlock.
void* GetByteSet(uint32_t window, uint32_t unit, int32_t index);
// `block` is a byte-set block or null (the empty picture).
void SetByteSet(uint32_t window, uint32_t unit, int32_t index, const void* block);
void FreeBlock(void* block);

// Common properties every unit has.
inline constexpr int32_t kLeft = 0;
inline constexpr int32_t kTop = 1;
inline constexpr int32_t kWidth = 2;
inline constexpr int32_t kHeight = 3;
inline constexpr int32_t kVisible = 5;
inline constexpr int32_t kDisabled = 6;

// Opens a window and, since every window of Velmora is modal, waits until it is closed.
// False when it could not be loaded.
bool LoadWindowModal(uint32_t window);
// Closes a window (or destroys a unit) at once.
void CloseWindow(uint32_t window);
// The platform window handle of a unit (unit 0: the window), as the 32-bit integer the
// declared platform functions take; 0 when it has none.
int32_t WindowHandleOf(uint32_t window, uint32_t unit);

}  // namespace app
