// Faces of the system by name: a range of characters rasterised into one 8-bit alpha map with the
// glyph records of a font. The Linux half finds the face through fontconfig and draws it with
// FreeType.
#pragma once
#include "Font/Font_Class.h"

#include <cstdint>
#include <vector>

// The side of the largest alpha map a face is rasterised into.
const int FONT_SYSTEM_MAX_SIDE = 4096;

struct TSystemFontImage {
    int width = 0, height = 0;
    std::vector<uint8_t> alpha;     // width x height bytes, row by row
    std::vector<FontGlyph> glyphs;  // characters without a glyph in the face have none
};

// Rasterises the characters first..last of the face closest to (face, bold, italic), else the
// default sans face, at size points and 96 dots an inch, antialiased. Each glyph is its ink's
// width and the line's height (ascent and descent shared by all), placed row by row with a clear
// pixel around it; its offset puts the ink at the pen. False, with a warning line, when no face
// is found (said once a run) or the size gives no glyphs that fit the map.
bool Font_RasteriseSystemFace(const char* face, int size, bool bold, bool italic, int first, int last, TSystemFontImage* out);
