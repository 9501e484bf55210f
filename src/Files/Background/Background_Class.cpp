#include "Background/Background_Class.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/Image.h"
#include "Platform/TBitmap.h"
#include "Runner/GameFile_Pages.h"
#include "Support/LoadSave.h"

CBackground::~CBackground()
{
    Clear();
}

void CBackground::Clear()
{
    delete m_bitmap;
    m_bitmap = nullptr;
    m_width = m_height = 0;
    m_transparent = m_smooth = m_preload = false;
    m_page = -1;
    FreeTexture();
}

bool CBackground::LoadFromChunk(GameFileReader record, const GameFilePageIndex& pages)
{
    Clear();
    record.U32();  // the name, read by the table
    bool transparent = record.Bool(), smooth = record.Bool(), preload = record.Bool();
    uint32_t pageOffset = record.U32();
    int width, height;
    // A background without a page entry would have nothing to draw and no size.
    if (!record.ok || !pages.Size(pageOffset, &width, &height)) return false;
    m_transparent = transparent;
    m_smooth = smooth;
    m_preload = preload;
    m_page = pages.Handle(pageOffset);
    m_width = width;
    m_height = height;
    return true;
}

// Takes ownership of a new image and makes its texture; an image that is missing, invalid or
// wider or taller than any image the runner decodes leaves the background cleared.
int CBackground::TakeBitmap(CBitmap32* bitmap, bool preload)
{
    if (!bitmap || !bitmap->m_valid || bitmap->GetWidth() > IMAGE_MAX_SIDE || bitmap->GetHeight() > IMAGE_MAX_SIDE) {
        delete bitmap;
        return -1;
    }
    m_bitmap = bitmap;
    m_width = bitmap->GetWidth();
    m_height = bitmap->GetHeight();
    m_preload = preload;
    InitTexture();
    return m_texture;
}

int CBackground::CreateFromBitmap(TBitmap* image, bool transparent, bool smooth, bool preload, bool keepAlpha)
{
    Clear();
    if (!image) return -1;
    CBitmap32* bitmap = keepAlpha ? CBitmap32::CBitmap32_FromBitmap32(image, transparent, smooth)
                                  : CBitmap32::CBitmap32_FromBitmap(image, transparent, smooth);
    int texture = TakeBitmap(bitmap, preload);
    if (m_bitmap) {
        m_transparent = transparent;
        m_smooth = smooth;
    }
    return texture;
}

int CBackground::CreateColor(int width, int height, uint32_t colour, bool preload)
{
    Clear();
    return TakeBitmap(CBitmap32::CBitmap32_Fill(width, height, colour & 0xFFFFFF), preload);
}

int CBackground::CreateGradient(int width, int height, uint32_t colour1, uint32_t colour2, int kind, bool preload)
{
    Clear();
    return TakeBitmap(CBitmap32::CBitmap32_Gradient(width, height, colour1 & 0xFFFFFF, colour2 & 0xFFFFFF, kind), preload);
}

bool CBackground::LoadFromFile(const char* fileName, bool transparent, bool smooth, bool preload, bool keepAlpha)
{
    int64_t size = 0;
    uint8_t* bytes = nullptr;
    if (fileName && LoadSave_SaveFileExists(fileName)) bytes = LoadSave_ReadSaveFile(fileName, &size);
    else if (fileName && LoadSave_BundleFileExists(fileName)) bytes = LoadSave_ReadBundleFile(fileName, &size);
    if (!bytes) return false;
    int width = 0, height = 0;
    uint8_t* pixels = LoadPNGImage(bytes, (size_t)size, &width, &height);
    MemFree(bytes);
    // A file that holds no image changes nothing.
    if (!pixels) {
        Console_Warnings->Output("Background file %s is not a PNG image\n", fileName);
        return false;
    }
    IBitmapLoader* loader = BitmapLoader_Create(pixels, width, height);
    TBitmap* image = loader->GetBitmap();
    CreateFromBitmap(image, transparent, smooth, preload, keepAlpha);
    delete image;
    delete loader;
    FreePNGImage();
    return m_bitmap != nullptr;
}

void CBackground::SetAlphaFromBackground(const CBackground* other)
{
    if (!other || !m_bitmap || !other->m_bitmap) {
        Console_Warnings->Output("Both bitmaps need to be duplicated first\n");
        return;
    }
    m_bitmap->SetAlphaFromBitmap(other->m_bitmap);
    InitTexture();
}

int CBackground::Assign(const CBackground* other)
{
    if (!other) return m_texture;
    if (other == this) return m_texture;
    Clear();
    m_width = other->m_width;
    m_height = other->m_height;
    m_transparent = other->m_transparent;
    m_smooth = other->m_smooth;
    m_preload = other->m_preload;
    m_page = other->m_page;
    if (other->m_bitmap) m_bitmap = CBitmap32::CBitmap32_Copy(other->m_bitmap);
    InitTexture();
    return m_texture;
}

void CBackground::InitTexture()
{
    FreeTexture();
    if (!m_bitmap) return;
    m_texture = GR_Texture_Create_From_Bitmap32(m_bitmap);
    if (m_preload && m_texture >= 0) GR_Texture_Preload(m_texture);
}

void CBackground::FreeTexture()
{
    if (m_texture >= 0) GR_Texture_Free(m_texture);
    m_texture = -1;
}

int CBackground::GetTexture() const
{
    return m_page >= 0 ? m_page : m_texture;
}

TBitmap* CBackground::GetTBitmap() const
{
    return m_bitmap ? m_bitmap->CreateBitmap24() : nullptr;
}

const TPageEntry* CBackground::GetPageEntry() const
{
    return m_page >= 0 ? TPage_Get(m_page) : nullptr;
}
