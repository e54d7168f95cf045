// The font description of the catalog's [FONT] section:
//   width,height,weight,charset,pitch,family,italic,flag8,[DIALOG,]face
// Runs of commas count as one separator, so a field cannot be left empty;
// parsing stops at the first missing field and the rest keep defaults.
#pragma once

#include "common/setup_limits.h"

struct FontSpec {
    int width;              // points when unit is 1, logical units when 0
    int height;
    int weight;             // 0 .. 1000
    unsigned char charset;
    unsigned char pitch;
    unsigned char family;
    int italic;             // 0 or 1
    int flag8;              // kept, not used for the font
    int unit;               // 1: width and height are points
    char faceName[FONT_FACE_SIZE];  // empty: the font mapper chooses
};

// 8 by 16 logical units, weight 400, DEFAULT charset, DEFAULT pitch, ROMAN
// family, no face.
void SetDefaultFontSpec(FontSpec *spec);

// Fills the record from a [FONT] value (defaults first). A face name longer than
// the face field is cut at a whole character.
void ParseFontSpec(const char *value, FontSpec *spec);
