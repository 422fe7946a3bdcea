// One parsed and laid-out page: the engine's document over a canvas, the one place that
// knows the engine needs our master style sheet loaded into a shared context first.
#pragma once

#include <litehtml.h>

#include <string>

#include "forms/units/html/PageCanvas.h"

namespace forms::html {

// Parses UTF-8 markup into a document drawn through `canvas` (which must outlive it).
litehtml::document::ptr ParsePage(const std::string& utf8, PageCanvas* canvas);

}  // namespace forms::html
