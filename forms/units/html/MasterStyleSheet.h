// How HTML looks when a page says nothing: the layout engine ships without such a sheet, so
// the viewer brings its own, written for the elements pages commonly use.
#pragma once

namespace forms::html {

const char* MasterStyleSheet();

}  // namespace forms::html
