// The font description of the catalog's [FONT] section:
//   width,height,weight,charset,pitch,family,italic,flag8,[DIALOG,]face
// Runs of commas count as one separator, so a field cannot be left empty;
// parsing stops at the first missing field and the rest keep defaults.
#pragma once

#include "core/setup_limits.h"
#include "core/text/dbcs.h"

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

// Fields of a description that CheckFontSpec found wrong.
enum FontFieldProblem {
    FONT_FIELD_WEIGHT = 1,    // neither a number above 0 nor a weight name
    FONT_FIELD_CHARSET = 2,   // no character set name
    FONT_FIELD_PITCH = 4,
    FONT_FIELD_FAMILY = 8,
    FONT_FIELD_ITALIC = 16,   // neither TRUE nor FALSE
    FONT_FIELD_FLAG8 = 32,
    FONT_FIELD_FACE = 64,     // face name cut to fit
};

// ParseFontSpec that also tells which fields kept their default because
// they named nothing, as a mask of FontFieldProblem. Missing fields are
// no problem: they keep their defaults by design.
// codePage: the catalog's; a double-byte face name is cut whole.
int CheckFontSpec(const char *value, FontSpec *spec,
                  int codePage = CURRENT_CODE_PAGE);
