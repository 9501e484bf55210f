// A growable byte stream with a position: little-endian 32-bit integers and booleans, 64-bit
// doubles, strings and blocks as a u32 length and their bytes. Reads never go past the end:
// a read that does not fit gives its default (0, 0.0, false, null), moves to the end and marks
// the stream as overrun, so a loader can tell a damaged file from a good one.
#pragma once
#include <cstddef>
#include <cstdint>

class CStream {
public:
    // `capacity` bytes are reserved up front (0 = no buffer).
    explicit CStream(int64_t capacity = 0);
    ~CStream();
    CStream(const CStream&) = delete;
    CStream& operator=(const CStream&) = delete;

    int ReadInteger();
    double ReadReal();
    bool ReadBoolean();
    // Frees *slot and stores a new NUL-ended string of the next length-prefixed bytes (null for
    // length 0). A length beyond what remains stores null and returns false.
    bool ReadStringTo(char** slot);
    // A new stream at position 0 holding the next length-prefixed block, or null when the length
    // is beyond what remains.
    CStream* ReadStream();
    // Copies up to `count` bytes; returns how many were there.
    int64_t ReadBytes(void* out, int64_t count);
    // The next `count` bytes inside the buffer, moving past them; null (and overrun) when fewer
    // remain.
    const unsigned char* ReadInPlace(int64_t count);

    void WriteInteger(int value);
    void WriteReal(double value);
    void WriteBoolean(bool value);
    // A u32 length and the bytes without NUL (null writes length 0).
    void WriteString(const char* text);
    // A u32 length and the other stream's bytes (its whole size).
    void WriteStream(const CStream* other);
    void WriteBytes(const void* bytes, int64_t count);

    // Replaces the content with the file's bytes from `start` to the end; position 0.
    // False (content emptied) when the file cannot be read or `start` lies beyond its end.
    bool LoadFromFile(const char* fileName, int64_t start = 0);
    // Writes the bytes up to the position to the file.
    bool SaveToFile(const char* fileName) const;

    unsigned char* GetBuffer() const { return m_buffer; }  // null when nothing was loaded
    int64_t GetSize() const { return m_size; }
    int64_t GetPosition() const { return m_position; }
    // Moves to an absolute position, kept within 0..size.
    void Seek(int64_t position);
    bool IsOverrun() const { return m_overrun; }
    void FreeBuffer();

private:
    bool Reserve(int64_t capacity);

    unsigned char* m_buffer = nullptr;
    int64_t m_capacity = 0;
    int64_t m_size = 0;
    int64_t m_position = 0;
    bool m_overrun = false;
};

// Reads the next length-prefixed zlib block of `stream` and returns a new stream (position 0)
// holding it decompressed; null, with the source moved past the block, when the block is damaged
// or would decompress beyond ZStream_MaxSize bytes.
CStream* ZDecompressStream(CStream* stream);
// Writes the bytes of `source` into `stream` as a length-prefixed zlib block.
bool ZCompressStream(CStream* stream, const CStream* source);

constexpr int64_t ZStream_MaxSize = 256LL << 20;
