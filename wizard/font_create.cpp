#include "wizard/fonts.h"

#include "core/text/dbcs.h"
#include "core/setup_limits.h"

void ReadFontSpec(FontSpec *spec, const char *key, const char *catalog)
{
    char value[FONT_SPEC_VALUE_SIZE];
    GetPrivateProfileStringA("FONT", key, "", value, sizeof(value), catalog);
    ParseFontSpec(value, spec);
}

static void FillSpecLogFont(HWND window, const FontSpec *spec, LOGFONTA *font)
{
    ZeroMemory(font, sizeof(*font));
    if (spec->unit == 1) {
        HDC dc = GetDC(window);
        int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
        int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(window, dc);
        // Negative: the size is the character height, not the cell's.
        font->lfWidth = -MulDiv(spec->width, dpiX, 72);
        font->lfHeight = -MulDiv(spec->height, dpiY, 72);
    } else {
        font->lfWidth = spec->width;
        font->lfHeight = spec->height;
    }
    font->lfWeight = spec->weight;
    font->lfItalic = (BYTE)spec->italic;
    font->lfCharSet = spec->charset;
    font->lfPitchAndFamily = (BYTE)(spec->family | spec->pitch);
    CopyText(font->lfFaceName, sizeof(font->lfFaceName), spec->faceName);
}

HFONT CreateSpecFont(HWND window, const FontSpec *spec)
{
    LOGFONTA font;
    FillSpecLogFont(window, spec, &font);
    return CreateFontIndirectA(&font);
}
