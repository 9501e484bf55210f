// check_packed_backgrounds GAME_FILE GAME_FOLDER: loads a packed game and compares every
// background with the image file it was packed from. Prints what differs; exits 1 then.
#include "Background/Background_Main.h"
#include "Graphics_API/GR_Texture.h"
#include "Run/GameFile_Chunks.h"

#include "PackedCheck.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace PackedCheck;

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: check_packed_backgrounds GAME_FILE GAME_FOLDER\n");
        return 2;
    }
    Program = "check_packed_backgrounds";
    if (!GameFile_Load(argv[1])) return 1;
    struct Expected {
        const char* name;
        const char* file;
        bool transparent, smooth, preload;
    } expected[] = {{"bg_tiles", "tiles.png", true, false, false}, {"bg_sky", "sky.png", false, false, true}};
    Check(Background_Count() == 2, "the game should hold 2 backgrounds");
    for (int i = 0; i < 2 && i < Background_Count(); i++) {
        const Expected& e = expected[i];
        CBackground* b = Background_Get(i);
        Check(b && !strcmp(Background_GetName(i), e.name), std::string("background ") + e.name + " is missing");
        if (!b) continue;
        Check(b->GetTransparent() == e.transparent && b->GetSmooth() == e.smooth && b->GetPreload() == e.preload,
              std::string(e.name) + ": flags differ");
        int w = 0, h = 0;
        std::vector<uint8_t> source = FilePixels(std::string(argv[2]) + "/" + e.file, &w, &h);
        Check(b->GetWidth() == w && b->GetHeight() == h, std::string(e.name) + ": size differs from its file");
        // The page entry covers its page whole, and the page holds the file's pixels.
        const TPageEntry* entry = b->GetPageEntry();
        GR_TextureSlot* page = GR_Texture_Slot(TPage_TextureId(entry));
        Check(entry && page && page->png, std::string(e.name) + ": no page entry or page");
        if (!entry || !page || !page->png) continue;
        Check(entry->x == 0 && entry->y == 0 && entry->w == w && entry->h == h && entry->ow == w && entry->oh == h,
              std::string(e.name) + ": the entry does not cover the image");
        int pw = 0, ph = 0;
        Check(Pixels(page->png, page->pngSize, &pw, &ph) == source, std::string(e.name) + ": page pixels differ");
        Check(b->GetTextureId() == -1, std::string(e.name) + ": a packed background has no texture of its own");
    }
    GameFile_Free();
    return Failures ? 1 : 0;
}
