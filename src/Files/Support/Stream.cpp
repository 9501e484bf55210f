#include "Support/Stream.h"
#include "Base/MemoryManager.h"
#include "Support/File.h"

#include <cstdio>
#include <cstring>
#include <zlib.h>

namespace {

// Lengths in streams are u32; more than this cannot be written.
constexpr int64_t kMaxLength = 0xFFFFFFFFLL;

// A u32 length prefix; false (stream overrun) when fewer than 4 bytes remain.
bool ReadLength(CStream* stream, uint32_t* length)
{
    const unsigned char* p = stream->ReadInPlace(4);
    if (!p) return false;
    *length = (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
    return true;
}

}  // namespace

CStream::CStream(int64_t capacity)
{
    if (capacity > 0) Reserve(capacity);
}

CStream::~CStream()
{
    FreeBuffer();
}

void CStream::FreeBuffer()
{
    MemFree(m_buffer);
    m_buffer = nullptr;
    m_capacity = m_size = m_position = 0;
}

bool CStream::Reserve(int64_t capacity)
{
    if (capacity <= m_capacity) return true;
    int64_t grown = m_capacity * 2 > capacity ? m_capacity * 2 : capacity;
    void* block = m_buffer;
    MemRealloc(&block, (size_t)grown);
    if (!block || MemoryManager_GetSize(block) < (size_t)grown) return false;
    m_buffer = (unsigned char*)block;
    m_capacity = grown;
    return true;
}

void CStream::Seek(int64_t position)
{
    m_position = position < 0 ? 0 : position > m_size ? m_size : position;
}

const unsigned char* CStream::ReadInPlace(int64_t count)
{
    if (count == 0) return m_buffer ? m_buffer + m_position : (const unsigned char*)"";
    if (count < 0 || count > m_size - m_position) {
        m_position = m_size;
        m_overrun = true;
        return nullptr;
    }
    const unsigned char* p = m_buffer + m_position;
    m_position += count;
    return p;
}

int CStream::ReadInteger()
{
    uint32_t value = 0;
    ReadLength(this, &value);
    return (int)value;
}

double CStream::ReadReal()
{
    const unsigned char* p = ReadInPlace(8);
    if (!p) return 0.0;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; i--) bits = (bits << 8) | p[i];
    double value;
    memcpy(&value, &bits, sizeof(value));
    return value;
}

bool CStream::ReadBoolean()
{
    return ReadInteger() != 0;
}

bool CStream::ReadStringTo(char** slot)
{
    MemFree(*slot);
    *slot = nullptr;
    uint32_t length;
    const unsigned char* p = ReadLength(this, &length) ? ReadInPlace(length) : nullptr;
    if (!p) return false;
    if (length == 0) return true;
    char* text = (char*)MemAlloc((size_t)length + 1);
    if (!text) return false;
    memcpy(text, p, length);
    text[length] = 0;
    *slot = text;
    return true;
}

CStream* CStream::ReadStream()
{
    uint32_t length;
    const unsigned char* p = ReadLength(this, &length) ? ReadInPlace(length) : nullptr;
    if (!p) return nullptr;
    CStream* stream = new CStream(length);
    stream->WriteBytes(p, length);
    stream->m_position = 0;
    return stream;
}

int64_t CStream::ReadBytes(void* out, int64_t count)
{
    if (count <= 0) return 0;
    int64_t n = count < m_size - m_position ? count : m_size - m_position;
    if (n > 0) memcpy(out, m_buffer + m_position, (size_t)n);
    m_position += n;
    if (n < count) m_overrun = true;
    return n;
}

void CStream::WriteBytes(const void* bytes, int64_t count)
{
    if (count <= 0) return;
    // The bytes may lie in this stream's own buffer, which Reserve can move.
    const unsigned char* from = (const unsigned char*)bytes;
    bool own = m_buffer && from >= m_buffer && from < m_buffer + m_capacity;
    int64_t offset = own ? from - m_buffer : 0;
    if (!Reserve(m_position + count)) return;
    if (own) bytes = m_buffer + offset;
    memmove(m_buffer + m_position, bytes, (size_t)count);
    m_position += count;
    if (m_position > m_size) m_size = m_position;
}

void CStream::WriteInteger(int value)
{
    unsigned char b[4];
    for (int i = 0; i < 4; i++) b[i] = (unsigned char)((uint32_t)value >> (8 * i));
    WriteBytes(b, 4);
}

void CStream::WriteReal(double value)
{
    uint64_t bits;
    memcpy(&bits, &value, sizeof(bits));
    unsigned char b[8];
    for (int i = 0; i < 8; i++) b[i] = (unsigned char)(bits >> (8 * i));
    WriteBytes(b, 8);
}

void CStream::WriteBoolean(bool value)
{
    WriteInteger(value ? 1 : 0);
}

void CStream::WriteString(const char* text)
{
    size_t length = text ? strlen(text) : 0;
    if ((int64_t)length > kMaxLength) length = 0;
    WriteInteger((int)(uint32_t)length);
    WriteBytes(text, (int64_t)length);
}

void CStream::WriteStream(const CStream* other)
{
    int64_t length = other ? other->m_size : 0;
    if (length > kMaxLength) length = 0;
    if (other == this && length > 0) {
        // The length prefix could overwrite the bytes it announces: copy them first.
        CStream copy(length);
        copy.WriteBytes(m_buffer, length);
        WriteStream(&copy);
        return;
    }
    WriteInteger((int)(uint32_t)length);
    if (length > 0) WriteBytes(other->m_buffer, length);
}

bool CStream::LoadFromFile(const char* fileName, int64_t start)
{
    FreeBuffer();
    m_overrun = false;
    if (!fileName || start < 0 || !File_Exists(fileName)) return false;
    FILE* f = fopen(fileName, "rbe");
    if (!f) return false;
    bool ok = false;
    if (fseeko(f, 0, SEEK_END) == 0) {
        int64_t size = ftello(f);
        if (size >= start && fseeko(f, start, SEEK_SET) == 0) {
            int64_t n = size - start;
            if (n == 0) {
                ok = true;
            } else if (Reserve(n) && fread(m_buffer, 1, (size_t)n, f) == (size_t)n) {
                m_size = n;
                ok = true;
            }
        }
    }
    fclose(f);
    if (!ok) FreeBuffer();
    return ok;
}

bool CStream::SaveToFile(const char* fileName) const
{
    return File_WriteWhole(fileName, m_buffer, m_position);
}

CStream* ZDecompressStream(CStream* stream)
{
    uint32_t length;
    const unsigned char* block = ReadLength(stream, &length) ? stream->ReadInPlace(length) : nullptr;
    if (!block) return nullptr;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return nullptr;
    z.next_in = (Bytef*)block;
    z.avail_in = length;
    CStream* out = new CStream(0);
    unsigned char chunk[16384];
    // Without progress inflate answers Z_BUF_ERROR, so a truncated block ends the loop too.
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = chunk;
        z.avail_out = sizeof(chunk);
        status = inflate(&z, Z_NO_FLUSH);
        int64_t produced = (int64_t)(sizeof(chunk) - z.avail_out);
        if (out->GetSize() + produced > ZStream_MaxSize) {
            status = Z_MEM_ERROR;
            break;
        }
        out->WriteBytes(chunk, produced);
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END) {
        delete out;
        return nullptr;
    }
    out->Seek(0);
    return out;
}

bool ZCompressStream(CStream* stream, const CStream* source)
{
    uLong sourceLength = (uLong)source->GetSize();
    uLongf length = compressBound(sourceLength);
    unsigned char* block = (unsigned char*)MemAlloc(length);
    if (!block) return false;
    bool ok = compress2(block, &length, source->GetBuffer() ? source->GetBuffer() : (const Bytef*)"", sourceLength,
                        Z_DEFAULT_COMPRESSION) == Z_OK;
    if (ok) {
        stream->WriteInteger((int)(uint32_t)length);
        stream->WriteBytes(block, (int64_t)length);
    }
    MemFree(block);
    return ok;
}
