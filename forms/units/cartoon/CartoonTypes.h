// The interface routines of the animation box and the animation-object template, for the
// library that lists the two types.
#pragma once

#include <cstdint>

namespace forms {

void* CartoonBoxInterface(int32_t operation);
void* CartoonObjectInterface(int32_t operation);

}  // namespace forms
