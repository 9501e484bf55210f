// Faces of the system: fontconfig picks the face file, FreeType draws its glyphs.
#include "Font/Font_System.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

const int DOTS_PER_INCH = 96;

enum Outcome { NO_FACE, NO_GLYPHS, NO_MEMORY, DRAWN };

// The face fontconfig chose, with the bolding and slant it asks for when the family has no face
// of that style.
struct TFaceMatch {
    std::string file;
    int index = 0;
    bool embolden = false;
    bool transformed = false;
    FT_Matrix matrix = {0x10000, 0, 0, 0x10000};
};

// One rendered character before the map is laid out: its glyph record and its ink (w x rows).
struct TInk {
    FontGlyph glyph;
    int top, rows;
    std::vector<uint8_t> pixels;
};

FT_Fixed Fixed(double value)
{
    return (FT_Fixed)std::clamp(value * 65536.0, -2147483647.0, 2147483647.0);
}

bool Match(const char* family, bool bold, bool italic, TFaceMatch* out)
{
    if (!FcInit()) return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)family);
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* file = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
    if (found) {
        out->file = (const char*)file;
        FcPatternGetInteger(match, FC_INDEX, 0, &out->index);
        FcBool embolden = FcFalse;
        out->embolden = FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch && embolden;
        FcMatrix* m = nullptr;
        out->transformed = FcPatternGetMatrix(match, FC_MATRIX, 0, &m) == FcResultMatch && m;
        if (out->transformed) out->matrix = {Fixed(m->xx), Fixed(m->xy), Fixed(m->yx), Fixed(m->yy)};
    }
    FcPatternDestroy(match);
    return found;
}

// Renders the characters of the range that the face has; NO_GLYPHS when their ink would not fit
// one map.
Outcome RenderRange(FT_Face face, const TFaceMatch& match, int first, int last, std::vector<TInk>* inks, int* ascent, int* descent)
{
    const long maxArea = (long)FONT_SYSTEM_MAX_SIDE * FONT_SYSTEM_MAX_SIDE;
    long area = 0;
    FT_Matrix matrix = match.matrix;
    FT_Set_Transform(face, match.transformed ? &matrix : nullptr, nullptr);
    for (int c = first; c <= last; c++) {
        FT_UInt index = FT_Get_Char_Index(face, (FT_ULong)c);
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP)) continue;
        FT_GlyphSlot slot = face->glyph;
        if (match.embolden) FT_GlyphSlot_Embolden(slot);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) continue;
        const FT_Bitmap& bitmap = slot->bitmap;
        bool usable = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.pitch >= 0;
        int w = usable ? (int)bitmap.width : 0, rows = usable ? (int)bitmap.rows : 0;
        area += (long)(w + 1) * (rows + *ascent + *descent + 1);
        if (w > FONT_SYSTEM_MAX_SIDE || rows > FONT_SYSTEM_MAX_SIDE || area > maxArea) return NO_GLYPHS;
        TInk ink;
        ink.glyph = {(uint16_t)c, 0, 0, (int16_t)w, 0, FontGlyph_Field((slot->advance.x + 32) >> 6), FontGlyph_Field(slot->bitmap_left), 0};
        ink.top = slot->bitmap_top;
        ink.rows = rows;
        for (int row = 0; row < rows; row++) {
            const uint8_t* line = bitmap.buffer + (size_t)row * bitmap.pitch;
            ink.pixels.insert(ink.pixels.end(), line, line + w);
        }
        // The line grows to hold every glyph's ink, so none is cut.
        *ascent = std::max(*ascent, ink.top);
        *descent = std::max(*descent, rows - ink.top);
        inks->push_back(std::move(ink));
    }
    return DRAWN;
}

// Places the glyphs row by row, each with a clear pixel before it and one below its row.
Outcome Pack(std::vector<TInk>& inks, int ascent, int descent, TSystemFontImage* out)
{
    int height = ascent + descent;
    if (inks.empty()) return DRAWN;
    if (height + 2 > FONT_SYSTEM_MAX_SIDE) return NO_GLYPHS;
    int widest = 0;
    double area = 0;
    for (const TInk& ink : inks) {
        widest = std::max(widest, (int)ink.glyph.w);
        area += (ink.glyph.w + 1.0) * (height + 1);
    }
    // About square, and as wide as the widest glyph.
    int width = std::min(FONT_SYSTEM_MAX_SIDE, std::max(widest + 2, (int)std::ceil(std::sqrt(area)) + widest));
    if (widest + 2 > width) return NO_GLYPHS;
    int x = 1, y = 1;
    for (TInk& ink : inks) {
        if (x + ink.glyph.w + 1 > width) x = 1, y += height + 1;
        ink.glyph.x = (int16_t)x;
        ink.glyph.y = (int16_t)y;
        ink.glyph.h = (int16_t)height;
        x += ink.glyph.w + 1;
    }
    if (y + height + 1 > FONT_SYSTEM_MAX_SIDE) return NO_GLYPHS;
    out->width = width;
    out->height = y + height + 1;
    out->alpha.assign((size_t)out->width * out->height, 0);
    for (const TInk& ink : inks) {
        int top = ink.glyph.y + ascent - ink.top;
        for (int row = 0; row < ink.rows; row++)
            std::copy_n(ink.pixels.begin() + (size_t)row * ink.glyph.w, ink.glyph.w,
                        out->alpha.begin() + (size_t)(top + row) * out->width + ink.glyph.x);
        out->glyphs.push_back(ink.glyph);
    }
    return DRAWN;
}

Outcome Rasterise(const TFaceMatch& match, int size, int first, int last, TSystemFontImage* out)
{
    FT_Library library;
    if (FT_Init_FreeType(&library)) return NO_FACE;
    FT_Face face;
    Outcome outcome = NO_FACE;
    if (!FT_New_Face(library, match.file.c_str(), match.index, &face)) {
        // The ink and the map are the script's to ask for: memory running out fails this font only.
        bool enough = MemoryManager_Try([&] {
            if (!FT_IS_SCALABLE(face)) return;
            outcome = NO_GLYPHS;
            std::vector<TInk> inks;
            if (FT_Set_Char_Size(face, 0, (FT_F26Dot6)size * 64, DOTS_PER_INCH, DOTS_PER_INCH)) return;
            int ascent = std::max(0, (int)((face->size->metrics.ascender + 63) >> 6));
            int descent = std::max(0, (int)((-face->size->metrics.descender + 63) >> 6));
            if (ascent + descent + 2 <= FONT_SYSTEM_MAX_SIDE && RenderRange(face, match, first, last, &inks, &ascent, &descent) == DRAWN)
                outcome = Pack(inks, ascent, descent, out);
        });
        if (!enough) outcome = NO_MEMORY;
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return outcome;
}

// fontconfig and FreeType crash rather than fail when memory runs out inside them (reading their
// configuration, above all): they are entered only with this much address space to spare.
constexpr size_t LIBRARY_HEADROOM = 64u << 20;

bool HeadroomForLibraries()
{
    void* probe = malloc(LIBRARY_HEADROOM);
    if (!probe) return false;
    free(probe);
    return true;
}

}  // namespace

bool Font_RasteriseSystemFace(const char* face, int size, bool bold, bool italic, int first, int last, TSystemFontImage* out)
{
    static bool toldNoFace = false;
    *out = TSystemFontImage();
    const char* name = face ? face : "";
    // A line of the font fits the map: a size beyond it is refused before any face is opened.
    long pixels = (long)size * DOTS_PER_INCH / 72;
    Outcome outcome = size >= 1 && pixels < FONT_SYSTEM_MAX_SIDE ? NO_FACE : NO_GLYPHS;
    if (outcome == NO_FACE && !HeadroomForLibraries()) {
        MemoryManager_Failed = true;
        return false;  // the call that asked reports it
    }
    // The face asked for (fontconfig gives the closest), else the default sans face.
    for (const char* family : {name, "sans-serif"}) {
        TFaceMatch match;
        if (outcome == NO_FACE && Match(family, bold, italic, &match)) outcome = Rasterise(match, size, first, last, out);
    }
    if (outcome == DRAWN) return true;
    *out = TSystemFontImage();
    if (outcome == NO_MEMORY) return false;  // the call that asked reports it
    if (outcome == NO_GLYPHS)
        Console_Warnings->Output("Font \"%s\" at %d points cannot be rasterised: it has no glyphs.\n", name, size);
    else if (!toldNoFace)
        Console_Warnings->Output("No font face was found on the system: fonts made by face name have no glyphs.\n");
    toldNoFace = toldNoFace || outcome == NO_FACE;
    return false;
}
