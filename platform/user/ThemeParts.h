// Painting of control and menu pieces through the theme. Controls never draw their
// looks directly: they describe each piece and ask for it to be painted, so that a theme
// installed through the C interface (platform/ThemeApi.h) restyles every control.
#pragma once

#include "platform/ThemeApi.h"

namespace platform::user {

// The built-in look of one kind of piece.
using PartPainter = void (*)(HDC dc, const RECT& rect, const VelmoraThemePaintInfo& info);

// Paints a piece: the installed outside theme first, and the built-in painter of the part
// when the theme leaves it (or none is installed).
void PaintThemePart(HDC dc, VelmoraThemePart part, const RECT& rect,
                    const VelmoraThemePaintInfo& info);
// Each control module registers the built-in painters of its parts when its classes are
// registered; a later registration for the same part replaces the earlier one.
void RegisterBuiltInPainter(VelmoraThemePart part, PartPainter painter);

// The scroll bar thickness of the theme in use (17 built in).
int ThemeScrollBarSize();

}  // namespace platform::user
