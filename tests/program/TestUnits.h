// Unit types for tests, standing in for the standard ones until those are written:
//   - a button: a system "BUTTON" control made from the button type block (caption and
//     kind), raising event 0 when clicked and answering is-default-button for kind 1;
//   - an edit box: a system "EDIT" control that takes focus and typing.
#pragma once

#include <cstdint>

#include "runtime/image/DataTypeDescriptor.h"

namespace testprogram {

const rt::DataTypeDescriptor* TestButtonType();
const rt::DataTypeDescriptor* TestEditType();
// Registers both with the forms engine as the button and edit box types.
void RegisterTestUnits();

}  // namespace testprogram
