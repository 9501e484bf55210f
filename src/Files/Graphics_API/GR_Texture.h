// Textures and texture pages: the texture table, the page entries of the game data file and the
// textured-quad drawers.
#pragma once
#include <cstddef>
#include <cstdint>

struct GR_DeviceTexture;
class CBitmap32;

// One image on a texture page: x, y, w, h is its rectangle on the page; it is drawn at
// (xoffset, yoffset) inside an image of ow x oh pixels (trimmed borders), cropWidth x cropHeight
// large; tp is the page texture (an index of the page textures given to TPage_LoadTextures).
struct TPageEntry {
    uint16_t x, y, w, h;
    uint16_t xoffset, yoffset;
    uint16_t cropWidth, cropHeight;
    uint16_t ow, oh;
    uint16_t tp;
};

// Page entries reach scripts as handles: TPAGE_HANDLE_BASE + the entry's index.
const int TPAGE_HANDLE_BASE = 1048576;

// The texture table. A texture id is an index into it.
struct GR_TextureSlot {
    GR_DeviceTexture* texture;  // null while a page texture is not resident
    uint16_t width, height;
    float rwidth, rheight;  // 1 / width, 1 / height
    bool valid;
    bool owned;                // freed with the slot (wrapped textures are not)
    const uint8_t* png;        // page texture: the PNG bytes it is made from when needed
    size_t pngSize;
    bool failed;               // a page texture whose PNG did not decode
};
GR_TextureSlot* GR_Texture_Slot(int id);  // null for an id not in the table

int GR_Texture_Create_From_Bitmap32(const CBitmap32* bitmap);
int GR_Texture_Create_From_Alpha(int width, int height, size_t byteCount, const uint8_t* alpha);
int GR_Texture_Wrap(GR_DeviceTexture* texture, int width, int height);
bool GR_Texture_Exists(int id);
void GR_Texture_Free(int id);
void GR_Texture_Preload(int id);
void GR_Texture_Set_Priority(int id, float priority);
float GR_Texture_Get_Width(int id);
float GR_Texture_Get_Height(int id);
GR_DeviceTexture* GR_Texture_Get_API_Texture(int id);
void GR_Texture_Set_Interpolation(bool linear);
bool GR_Texture_Get_Interpolation();
void GR_Texture_Set_Repeat(bool repeat);
bool GR_Texture_Get_Repeat();
void GR_Texture_Set_Blending(bool on);
// Releases the device textures of the texture pages; each is made again when next drawn.
void GR_Texture_Flush();
// Frees every texture and page entry (device shut-down and tests).
void GR_Texture_Free_All();

void GR_D3D_Texture_Free(GR_DeviceTexture* texture);
void GR_D3D_Texture_Copy_Rect(GR_DeviceTexture* dest, int dx, int dy, GR_DeviceTexture* source, int sx, int sy, int w, int h);
// A new buffer (MemFree) of w x h pixel words 0xAARRGGBB, rows top first; the part of the
// rectangle outside the texture reads as 0. Null for an empty rectangle or one that misses.
uint32_t* GR_D3D_Texture_Read_Pixels(GR_DeviceTexture* texture, int x, int y, int w, int h);

// Page entries and page textures, filled by the game loader from its parsed records. The page
// textures come first: entry i's tp indexes them. PNG bytes are not copied and must live as long
// as the pages (the game data file does). Each returns false (keeping nothing) on bad input.
bool TPage_LoadTextures(const uint8_t* const* pngs, const size_t* sizes, int count);
bool TPage_LoadEntries(const TPageEntry* entries, int count);
// Frees the entries and the page textures.
void TPage_Free();
int TPage_PageTexture(int page);  // texture id of a page texture, -1 when none
void TPage_FreeTextures();
int TPage_Count();
// The entry for a handle, null for a value that is not a known handle.
TPageEntry* TPage_Get(double handle);
// The entry at a position of the table (its handle less TPAGE_HANDLE_BASE), null outside it.
TPageEntry* TPage_At(int index);
int TPage_Handle(const TPageEntry* entry);  // -1 when not an entry of the table
// The texture id of an entry's page, -1 when none.
int TPage_TextureId(const TPageEntry* entry);
// Widens box {left, top, right, bottom} (image coordinates) by the pixels of the entries' images
// whose alpha is not 0; false (the box perhaps widened by some) when an entry is null or its page
// cannot be read.
bool TPage_VisibleBox(const TPageEntry* const* entries, int count, int box[4]);

// What a texture argument of the drawing built-ins names: a texture id names itself; a page-entry
// handle names its page's texture and the entry, into whose rectangle texture coordinates are
// mapped; any other value names no texture.
struct GR_TextureRef {
    int texture = -1;                  // texture id, -1 for none
    const TPageEntry* page = nullptr;
    float pageWidth = 1, pageHeight = 1;
    // Texture coordinates of the image to those of the texture.
    void Map(float* u, float* v) const;
};
GR_TextureRef GR_Texture_Resolve(int value);

// Textured quads. Colours are 0xBBGGRR, alpha 0..1, angles in radians (counter-clockwise on the
// screen). A texture id or page entry that does not exist draws nothing.
void GR_Texture_Draw(int tex, float x, float y);
void GR_Texture_Draw_TPage(const TPageEntry* page, float x, float y);
void GR_Texture_Draw_Ext(int tex, float xo, float yo, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha);
void GR_Texture_Draw_Ext_TPage(const TPageEntry* page, float xo, float yo, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha);
void GR_Texture_Draw_Part(int tex, float left, float top, float width, float height, float x, float y, float xscale, float yscale, uint32_t colour, float alpha);
void GR_Texture_Draw_Part_TPage(const TPageEntry* page, float left, float top, float width, float height, float x, float y, float xscale, float yscale, uint32_t colour, float alpha);
void GR_Texture_Draw_General(int tex, float left, float top, float width, float height, float x, float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
void GR_Texture_Draw_General_TPage(const TPageEntry* page, float left, float top, float width, float height, float x, float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
// Corners in the order top-left, top-right, bottom-right, bottom-left.
void GR_Texture_Draw_Pos_TPage(const TPageEntry* page, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float alpha);
// Copies whose origin (xo, yo) lies at (x, y) plus whole steps of the scaled size, over the area;
// scaled sizes below 0.001 pixel draw nothing and the copies are capped.
void GR_Texture_Draw_Tiled(int tex, float xo, float yo, float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha);
void GR_Texture_Draw_Tiled_TPage(const TPageEntry* page, float xo, float yo, float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha);

// The most copies one tiled draw makes.
const int GR_TILED_MAX_COPIES = 262144;
