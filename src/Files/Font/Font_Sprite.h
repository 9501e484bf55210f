// What sprite fonts need of the sprite table. The sprite module fills these in when it starts;
// while a hook is missing every sprite counts as absent, so sprite fonts are empty and draw nothing.
#pragma once
#include <cstdint>

struct FontSpriteAccess {
    bool (*exists)(int sprite);
    // Frame count, width and height of an existing sprite.
    void (*size)(int sprite, int* frames, int* width, int* height);
    // Left and right of a frame's box: the page entry's crop rectangle, or the opaque pixels.
    void (*frameBox)(int sprite, int frame, int* left, int* right);
    // Angles in degrees, colours 0xBBGGRR.
    void (*drawExt)(int sprite, int frame, float x, float y, float xscale, float yscale, float angle,
                    uint32_t colour, float alpha);
    void (*drawGeneral)(int sprite, int frame, float left, float top, float width, float height,
                        float x, float y, float xscale, float yscale, float angle, uint32_t c1,
                        uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
};
extern FontSpriteAccess Font_Sprites;

// True when the sprite exists and every hook is there.
bool Font_SpriteExists(int sprite);
