// The program's three fonts, made from the catalog's [FONT] section.
#pragma once

#include <windows.h>

#include "core/catalog/font_spec.h"

// Reads [FONT] key from the catalog and parses it; a missing key gives
// the default font description.
void ReadFontSpec(FontSpec *spec, const char *key, const char *catalog);

// Makes the font of a font description. window only supplies the
// display whose pixels per inch scale sizes in points (NULL: the screen).
// NULL on failure, which leaves controls on the system font.
HFONT CreateSpecFont(HWND window, const FontSpec *spec);
