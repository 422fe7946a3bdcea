// Commands that find the program's folder, test for files, read and write whole files
// as byte sets and change file attributes.
#pragma once

#include <cstdint>

#include "runtime/calls/ArgRecord.h"

namespace cmd {

void GetRunDirectory(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void FileExists(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void ChangeFileAttributes(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void ReadWholeFile(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void WriteWholeFile(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

// Reads a whole file into a fresh byte set (null when empty, missing or unreadable).
// Shared with the commands that take a file name in place of data.
void* ReadWholeFileBytes(const char* path);

}  // namespace cmd
