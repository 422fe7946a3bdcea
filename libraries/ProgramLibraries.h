// The support-library table of the program image: five libraries in library-number order.
//
//   1 core library                    51 data types, 46 commands
//   2 extended UI library one          5 data types,  1 command
//   3 extended UI library two          9 data types, 10 commands
//   4 HTML viewer library              1 data type,   0 commands
//   5 application-interface library   11 data types,  1 command
//
// Data types are numbered by their position (type code = library number << 16 | position),
// so every library's array has its full length; types this program does not use carry no
// name, no properties and no interface routine. A command table lists only the routines
// linked into the program, in the library's command-number order with the missing ones left
// out: the application calls routines by address, and an entry it could call must never be
// null. A library's command count is therefore the number of linked routines.
#pragma once

#include <cstdint>

#include "runtime/image/ImageHeader.h"

namespace libs {

inline constexpr uint32_t kLibraryCount = 5;

// The table for ImageHeader::libraries, built on first use.
const rt::LibraryDescriptor* const* ProgramLibraryTable();

const rt::LibraryDescriptor* CoreLibrary();
const rt::LibraryDescriptor* ExtendedUiLibraryOne();
const rt::LibraryDescriptor* ExtendedUiLibraryTwo();
const rt::LibraryDescriptor* HtmlViewerLibrary();
const rt::LibraryDescriptor* ApplicationInterfaceLibrary();

}  // namespace libs
