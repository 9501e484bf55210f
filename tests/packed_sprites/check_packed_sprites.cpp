// check_packed_sprites GAME_FILE STRIP_PNG: loads a packed game and compares its sprites with the
// strip they were packed from. Prints what differs; exits 1 then.
#include "Graphics_API/GR_Texture.h"
#include "Run/GameFile_Chunks.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

#include "PackedCheck.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace PackedCheck;

static bool BoxIs(const TSpriteBox& b, int l, int t, int r, int bottom)
{
    return b.left == l && b.top == t && b.right == r && b.bottom == bottom;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: check_packed_sprites GAME_FILE STRIP_PNG\n");
        return 2;
    }
    Program = "check_packed_sprites";
    if (!GameFile_Load(argv[1])) return 1;
    int w = 0, h = 0;
    std::vector<uint8_t> strip = FilePixels(argv[2], &w, &h);
    Check(w == 15 && h == 4, "the strip should be 15 x 4");

    Check(Sprite_Count() == 2 && Sprite_Find("spr_strip") == 0 && Sprite_Find("spr_box") == 1, "names or count differ");
    const CSprite* s = Sprite_Get(0);
    const CSprite* box = Sprite_Get(1);
    if (!s || !box) return 1;
    Check(s->m_numb == 3 && s->m_width == 5 && s->m_height == 4, "spr_strip: frames or size differ");
    Check(s->m_xorigin == 2 && s->m_yorigin == 1 && s->m_smooth && s->m_preload && s->m_precise, "spr_strip: origin or flags differ");
    Check(BoxIs(s->m_bbox, 1, 0, 4, 3), "spr_strip: the box should hold the visible pixels of every frame");
    Check(s->m_masks.size() == 3, "spr_strip: one mask a frame");
    for (int f = 0; f < 3 && s->m_masks.size() == 3; f++) {
        for (int y = 0; y < 4; y++)
            for (int x = 0; x < 5; x++) {
                bool visible = strip[((size_t)y * w + f * 5 + x) * 4 + 3] != 0;
                Check(s->m_masks[f][y * 5 + x] == visible, "spr_strip: mask " + std::to_string(f) + " differs at " +
                                                                std::to_string(x) + "," + std::to_string(y));
            }
        // Each frame is its rectangle of the one page, which holds the strip's pixels.
        const TPageEntry* e = TPage_Get(s->GetTexture(f));
        Check(e && e->x == f * 5 && e->y == 0 && e->w == 5 && e->h == 4 && e->ow == 5 && e->oh == 4,
              "spr_strip: frame " + std::to_string(f) + " has no entry of its rectangle");
        GR_TextureSlot* page = e ? GR_Texture_Slot(TPage_TextureId(e)) : nullptr;
        int pw = 0, ph = 0;
        Check(page && page->png && Pixels(page->png, page->pngSize, &pw, &ph) == strip, "spr_strip: page pixels differ");
    }
    // A collision test reads the packed masks: frame 1 is solid only at (2, 0).
    TSpritePlace at = {1, {6, 7, 10, 10}, 8, 8, 1, 1, 0};
    Check(s->CollisionPoint(at, 8, 7) && !s->CollisionPoint(at, 7, 7), "spr_strip: frame 1 collides elsewhere");

    Check(box->m_numb == 1 && box->m_width == 15 && !box->m_hasMasks && !box->m_preload, "spr_box: frames, masks or flags differ");
    Check(box->m_bboxMode == BBOX_MANUAL && BoxIs(box->m_bbox, 1, 2, 3, 3), "spr_box: the manual box differs");
    GameFile_Free();
    return Failures ? 1 : 0;
}
