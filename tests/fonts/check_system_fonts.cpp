// check_system_fonts GAME_FILE RUNNER EXPECTED: runs the packed game in the runner (on the tests'
// display) and compares what it prints with EXPECTED, where "<width of Hello>" and "<line height>"
// stand for what FreeType gives for DejaVu Sans at 16 points and 96 dots an inch: the sum of the
// advances of "Hello" and the ascent plus the descent, each rounded to whole pixels; "<lit of H>"
// and "<ink of H>" for the count and the sum of the non-zero coverage values of its "H".
#include "PackedCheck.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

using namespace PackedCheck;

namespace {

const char* const FACE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// FreeType's own measures of "Hello" and of the coverage of "H" in the face at 16 points; false
// when the face is missing.
bool Measure(int* width, int* height, int* lit, int* ink)
{
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library)) return false;
    bool ok = !FT_New_Face(library, FACE, 0, &face);
    if (ok) {
        ok = !FT_Set_Char_Size(face, 0, 16 * 64, 96, 96);
        *height = (int)((face->size->metrics.ascender + 63) >> 6) + (int)((-face->size->metrics.descender + 63) >> 6);
        *width = 0;
        for (const char* c = "Hello"; ok && *c; c++) {
            ok = !FT_Load_Char(face, (FT_ULong)*c, FT_LOAD_TARGET_LIGHT);
            *width += (int)((face->glyph->advance.x + 32) >> 6);
        }
        ok = ok && !FT_Load_Char(face, 'H', FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP)
             && !FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL);
        *lit = *ink = 0;
        const FT_Bitmap& map = face->glyph->bitmap;
        for (unsigned j = 0; ok && j < map.rows; j++)
            for (unsigned i = 0; i < map.width; i++)
                if (int c = map.buffer[j * map.pitch + i]) *lit += 1, *ink += c;
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return ok;
}

void Replace(std::string* text, const std::string& what, int value)
{
    for (size_t at; (at = text->find(what)) != std::string::npos;) text->replace(at, what.size(), std::to_string(value));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: check_system_fonts GAME_FILE RUNNER EXPECTED\n");
        return 2;
    }
    Program = "check_system_fonts";
    int width = 0, height = 0, lit = 0, ink = 0;
    if (!Measure(&width, &height, &lit, &ink)) {
        fprintf(stderr, "%s: FreeType cannot measure %s (scripts/setup installs fonts-dejavu-core)\n", Program, FACE);
        return 1;
    }
    std::ifstream in(argv[3]);
    std::stringstream expected;
    expected << in.rdbuf();
    std::string want = expected.str();
    Replace(&want, "<width of Hello>", width);
    Replace(&want, "<line height>", height);
    Replace(&want, "<lit of H>", lit);
    Replace(&want, "<ink of H>", ink);

    setenv("RUNNER_NO_WAIT", "1", 1);
    setenv("RUNNER_MAX_FRAMES", "300", 1);
    setenv("XDG_DATA_HOME", (std::string(argv[1]) + ".data").c_str(), 1);
    std::string run = std::string("'") + argv[2] + "' -game '" + argv[1] + "'";
    FILE* out = popen(run.c_str(), "r");
    std::string got;
    char buffer[256];
    while (out && fgets(buffer, sizeof buffer, out)) got += buffer;
    int status = out ? pclose(out) : -1;
    Check(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the runner ended with status " + std::to_string(status));
    Check(got == want, "standard output:\n" + got + "---- expected ----\n" + want);
    return Failures ? 1 : 0;
}
