#include "Sprite/Sprite_Class.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/Image.h"
#include "Platform/TBitmap.h"
#include "Support/LoadSave.h"

#include <climits>
#include <cmath>

CSprite::CSprite()
{
    Clear();
}

CSprite::~CSprite()
{
    Clear();
}

void CSprite::Clear()
{
    for (CBitmap32* b : m_bitmaps) delete b;
    m_bitmaps.clear();
    FreeTextures();
    m_textures.clear();
    m_pages.clear();
    m_numb = 0;
    m_bboxMode = BBOX_AUTOMATIC;
    m_bbox = {0, 0, 0, 0};
    m_xorigin = m_yorigin = 0;
    m_width = m_height = 1;
    m_cullRadius = 0;
    m_transparent = true;
    m_smooth = false;
    m_preload = true;
    m_precise = true;
    FreeMasks();
}

int CSprite::WrapFrame(int frame) const
{
    // Most draws ask for a frame in range: no division for them.
    if (frame >= 0 && frame < m_numb) return frame;
    int f = frame % m_numb;
    return f < 0 ? f + m_numb : f;
}

const TPageEntry* CSprite::PageEntry(int frame) const
{
    if (m_pages.empty() || m_numb < 1) return nullptr;
    return TPage_At(m_pages[WrapFrame(frame)]);
}

void CSprite::ComputeCullRadius()
{
    // The farthest corner from the origin, rounded up; sums in double so that no origin overflows.
    double xs[2] = {(double)m_xorigin, (double)m_width - m_xorigin};
    double ys[2] = {(double)m_yorigin, (double)m_height - m_yorigin};
    double radius = 0;
    for (double dx : xs)
        for (double dy : ys) radius = std::fmax(radius, std::ceil(std::sqrt((float)(dx * dx + dy * dy))));
    m_cullRadius = radius >= INT_MAX ? INT_MAX : (int)radius;
}

bool CSprite::LoadFromChunk(GameFileReader r, const GameFilePageIndex& pages)
{
    Clear();
    r.U32();  // the name, read by the table
    int width = r.I32(), height = r.I32();
    TSpriteBox box;
    box.left = r.I32();
    box.right = r.I32();
    box.bottom = r.I32();
    box.top = r.I32();
    bool transparent = r.U32() != 0, smooth = r.U32() != 0, preload = r.U32() != 0;
    int mode = r.I32();
    bool precise = r.U32() != 0;
    int xorig = r.I32(), yorig = r.I32();
    uint32_t frames;
    if (!r.Count(&frames, 4)) return false;
    if (width < 1 || height < 1 || width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE) return false;
    std::vector<int> entries(frames, -1);
    for (uint32_t i = 0; i < frames; i++) {
        uint32_t offset = r.U32();
        if (offset == 0) continue;
        int handle = pages.Handle(offset);
        if (handle < 0) return false;
        entries[i] = handle - TPAGE_HANDLE_BASE;
    }
    // Each mask is height rows of whole bytes, the leftmost pixel in the top bit of a row's first byte.
    size_t rowBytes = ((size_t)width + 7) / 8;
    uint32_t maskCount;
    if (!r.Count(&maskCount, rowBytes * height)) return false;
    const uint8_t* bits = GameFile_Base() + r.pos;
    m_masks.resize(maskCount);
    for (uint32_t m = 0; m < maskCount; m++) {
        std::vector<uint8_t>& mask = m_masks[m];
        mask.resize((size_t)width * height);
        for (int y = 0; y < height; y++) {
            const uint8_t* row = bits + (m * (size_t)height + y) * rowBytes;
            for (int x = 0; x < width; x++) mask[(size_t)y * width + x] = row[x >> 3] >> (7 - (x & 7)) & 1;
        }
    }
    m_hasMasks = maskCount > 0;
    m_width = width;
    m_height = height;
    m_bbox = box;
    m_transparent = transparent;
    m_smooth = smooth;
    m_preload = preload;
    m_bboxMode = mode;
    m_precise = precise;
    m_xorigin = xorig;
    m_yorigin = yorig;
    m_numb = (int)frames;
    m_pages = std::move(entries);
    // A sprite without frames has no page entries to mark it as one of the file's.
    if (m_pages.empty()) m_pages.push_back(-1);
    ComputeCullRadius();
    return true;
}

bool CSprite::LoadStrip(IBitmapLoader* source, bool transparent, bool smooth, int frameCount, bool keepAlpha)
{
    TBitmap* image = source ? source->GetBitmap() : nullptr;
    Clear();
    m_transparent = transparent;
    m_smooth = smooth;
    if (!image) {
        Console_Warnings->Output("CSprite::LoadStrip :: Unable to load sprite data\n");
        return false;
    }
    if (frameCount < 1) frameCount = 1;
    // More frames than columns would give frames of no width.
    if (frameCount > image->GetWidth()) {
        Console_Warnings->Output("A sprite strip of %d pixels cannot hold %d frames\n", image->GetWidth(), frameCount);
        delete image;
        return false;
    }
    int width = image->GetWidth() / frameCount, height = image->GetHeight();
    CBitmap32* whole = CBitmap32::CBitmap32_FromImage(image, transparent, smooth, keepAlpha);
    delete image;
    if (!whole) return false;
    for (int i = 0; i < frameCount; i++) {
        CBitmap32* frame = CBitmap32::CBitmap32_Part(whole, i * width, 0, width, height);
        if (!frame) break;
        m_bitmaps.push_back(frame);
    }
    delete whole;
    if ((int)m_bitmaps.size() != frameCount) {
        Clear();
        return false;
    }
    m_numb = frameCount;
    m_width = width;
    m_height = height;
    return true;
}

bool CSprite::LoadFromMemory(const uint8_t* bytes, size_t size, int frameCount, bool precise, bool transparent, bool smooth, int xorig, int yorig, bool keepAlpha)
{
    Clear();
    int w, h;
    uint8_t* rgba = LoadPNGImage(bytes, size, &w, &h);
    if (!rgba) return false;
    IBitmapLoader* source = BitmapLoader_Create(rgba, w, h);
    bool loaded = LoadStrip(source, transparent, smooth, frameCount, keepAlpha);
    delete source;
    FreePNGImage();
    if (!loaded) return false;
    m_xorigin = xorig;
    m_yorigin = yorig;
    m_precise = precise;
    m_bboxMode = BBOX_AUTOMATIC;
    m_preload = true;
    FramesChanged();
    return true;
}

bool CSprite::LoadFromFile(const char* name, int frameCount, bool precise, bool transparent, bool smooth, bool, int xorig, int yorig, bool keepAlpha)
{
    int64_t size = 0;
    unsigned char* bytes = nullptr;
    if (LoadSave_SaveFileExists(name)) bytes = LoadSave_ReadSaveFile(name, &size);
    else if (LoadSave_BundleFileExists(name)) bytes = LoadSave_ReadBundleFile(name, &size);
    if (!bytes) return false;
    bool loaded = LoadFromMemory(bytes, (size_t)size, frameCount, precise, transparent, smooth, xorig, yorig, keepAlpha);
    MemFree(bytes);
    return loaded;
}

bool CSprite::CreateFromBitmap(TBitmap* image, bool precise, bool transparent, bool smooth, bool preload, int xorig, int yorig, bool keepAlpha)
{
    Clear();
    CBitmap32* frame = keepAlpha ? CBitmap32::CBitmap32_FromBitmap32(image, transparent, smooth)
                                 : CBitmap32::CBitmap32_FromBitmap(image, transparent, smooth);
    if (!frame) return false;
    m_bitmaps.push_back(frame);
    m_numb = 1;
    m_width = frame->GetWidth();
    m_height = frame->GetHeight();
    m_precise = precise;
    m_transparent = transparent;
    m_smooth = smooth;
    m_preload = preload;
    m_xorigin = xorig;
    m_yorigin = yorig;
    m_bboxMode = BBOX_AUTOMATIC;
    FramesChanged();
    return true;
}

// New frames: their textures, the automatic box and the masks are made again.
void CSprite::FramesChanged()
{
    InitTexture();
    ComputeBoundingBox();
    CreateMask();
}

// Appends an image as the last frame, stretched to the sprite's size (a sprite without frames
// takes the image's size); an image that cannot be stretched is deleted and nothing changes.
bool CSprite::AppendFrame(CBitmap32* image)
{
    if (m_numb == 0) {
        m_width = image->GetWidth();
        m_height = image->GetHeight();
    }
    if ((image->GetWidth() != m_width || image->GetHeight() != m_height) && !image->Stretch(m_width, m_height)) {
        delete image;
        return false;
    }
    m_bitmaps.push_back(image);
    m_numb++;
    return true;
}

bool CSprite::AddFromBitmap(TBitmap* image, bool)
{
    if (HasPageEntries()) return false;
    CBitmap32* frame = CBitmap32::CBitmap32_FromBitmap(image, m_transparent, m_smooth);
    if (!frame || !AppendFrame(frame)) return false;
    FramesChanged();
    return true;
}

void CSprite::Assign(const CSprite* other)
{
    if (!other || other == this) return;
    Clear();
    m_width = other->m_width;
    m_height = other->m_height;
    m_bbox = other->m_bbox;
    m_transparent = other->m_transparent;
    m_smooth = other->m_smooth;
    m_preload = other->m_preload;
    m_bboxMode = other->m_bboxMode;
    m_precise = other->m_precise;
    m_xorigin = other->m_xorigin;
    m_yorigin = other->m_yorigin;
    m_numb = other->m_numb;
    m_cullRadius = other->m_cullRadius;
    m_pages = other->m_pages;
    for (const CBitmap32* b : other->m_bitmaps) m_bitmaps.push_back(CBitmap32::CBitmap32_Copy(b));
    // A copy of a sprite of the game data file draws from the same pages and collides as it does.
    if (HasPageEntries()) {
        m_masks = other->m_masks;
        m_hasMasks = other->m_hasMasks;
    }
    InitTexture();
    CreateMask();
}

bool CSprite::Merge(const CSprite* other)
{
    if (!other || HasPageEntries() || other->HasPageEntries()) return false;
    // A snapshot first: merging a sprite with itself must not walk the array it appends to.
    std::vector<CBitmap32*> copies;
    for (const CBitmap32* b : other->m_bitmaps)
        if (CBitmap32* copy = CBitmap32::CBitmap32_Copy(b)) copies.push_back(copy);
    for (CBitmap32* copy : copies) AppendFrame(copy);
    FramesChanged();
    return true;
}

void CSprite::SetAlphaFromSprite(const CSprite* other)
{
    if (!other || other->m_bitmaps.empty() || HasPageEntries() || other->HasPageEntries()) return;
    // With itself as the source every pixel would only take its own grey level: copy first.
    std::vector<CBitmap32*> sources;
    for (const CBitmap32* b : other->m_bitmaps) sources.push_back(CBitmap32::CBitmap32_Copy(b));
    for (size_t i = 0; i < m_bitmaps.size(); i++)
        if (m_bitmaps[i] && sources[i % sources.size()]) m_bitmaps[i]->SetAlphaFromBitmap(sources[i % sources.size()]);
    for (CBitmap32* b : sources) delete b;
    InitTexture();
}

void CSprite::InitTexture()
{
    FreeTextures();
    m_textures.clear();
    if (HasPageEntries()) return;
    for (const CBitmap32* b : m_bitmaps) {
        int id = b ? GR_Texture_Create_From_Bitmap32(b) : -1;
        if (id >= 0 && m_preload) GR_Texture_Preload(id);
        m_textures.push_back(id);
    }
}

void CSprite::FreeTextures()
{
    for (int& id : m_textures) {
        if (id >= 0) GR_Texture_Free(id);
        id = -1;
    }
}

int CSprite::GetTexture(int frame) const
{
    if (m_numb < 1) return -1;
    int f = WrapFrame(frame);
    if (HasPageEntries()) return m_pages[f] < 0 ? -1 : TPAGE_HANDLE_BASE + m_pages[f];
    return f < (int)m_textures.size() ? m_textures[f] : -1;
}

TSpriteBox CSprite::GetFrameBox(int frame) const
{
    TSpriteBox box = {0, 0, 0, 0};
    if (frame < 0 || frame >= m_numb) return box;
    if (HasPageEntries()) {
        if (const TPageEntry* e = PageEntry(frame))
            box = {e->xoffset, e->yoffset, e->xoffset + e->cropWidth, e->yoffset + e->cropHeight};
    } else if (frame < (int)m_bitmaps.size() && m_bitmaps[frame]) {
        m_bitmaps[frame]->GetBoundingBox(&box.left, &box.top, &box.right, &box.bottom);
    }
    return box;
}

TBitmap* CSprite::GetBitmap(int frame) const
{
    if (frame < 0 || frame >= m_numb || frame >= (int)m_bitmaps.size() || !m_bitmaps[frame]) return nullptr;
    return m_bitmaps[frame]->CreateBitmap32();
}
