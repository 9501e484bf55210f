#include "Base/Digest.h"

#include <cstring>

namespace {

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// MD5 -----------------------------------------------------------------------------------------

const uint32_t kMD5Sine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
const int kMD5Shift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

void MD5_Transform(uint32_t state[4], const unsigned char block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; i++)
        x[i] = block[i * 4] | (block[i * 4 + 1] << 8) | (block[i * 4 + 2] << 16) | ((uint32_t)block[i * 4 + 3] << 24);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; i++) {
        uint32_t f;
        int k;
        switch (i / 16) {
        case 0: f = (b & c) | (~b & d); k = i; break;
        case 1: f = (b & d) | (c & ~d); k = (5 * i + 1) % 16; break;
        case 2: f = b ^ c ^ d; k = (3 * i + 5) % 16; break;
        default: f = c ^ (b | ~d); k = (7 * i) % 16; break;
        }
        uint32_t rotated = b + Rotl(a + f + x[k] + kMD5Sine[i], kMD5Shift[i / 16][i % 4]);
        a = d;
        d = c;
        c = b;
        b = rotated;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

// SHA-1 ---------------------------------------------------------------------------------------

void SHA1_Transform(uint32_t h[5], const unsigned char block[64])
{
    uint32_t w[80];
    for (int i = 0; i < 16; i++)
        w[i] = ((uint32_t)block[i * 4] << 24) | (block[i * 4 + 1] << 16) | (block[i * 4 + 2] << 8) | block[i * 4 + 3];
    for (int i = 16; i < 80; i++) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; i++) {
        uint32_t f, k;
        if (i < 20) { f = (b & c) | (~b & d); k = 0x5A827999; }
        else if (i < 40) { f = b ^ c ^ d; k = 0x6ED9EBA1; }
        else if (i < 60) { f = (b & c) | (b & d) | (c & d); k = 0x8F1BBCDC; }
        else { f = b ^ c ^ d; k = 0xCA62C1D6; }
        uint32_t t = Rotl(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = t;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
}

// Feeds bytes into a 64-byte block that already holds `used` of them, transforming the state with
// each block filled: how many bytes the block holds after.
size_t FeedBlocks(uint32_t* state, unsigned char* block, size_t used, const unsigned char* in, size_t length,
                  void (*transform)(uint32_t*, const unsigned char*))
{
    while (length > 0) {
        size_t n = 64 - used < length ? 64 - used : length;
        memcpy(block + used, in, n);
        used += n;
        in += n;
        length -= n;
        if (used == 64) {
            transform(state, block);
            used = 0;
        }
    }
    return used;
}

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64_Value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

void MD5_Init(MD5Context* context)
{
    memset(context, 0, sizeof(*context));
    context->state[0] = 0x67452301;
    context->state[1] = 0xefcdab89;
    context->state[2] = 0x98badcfe;
    context->state[3] = 0x10325476;
}

void MD5_Update(MD5Context* context, const void* bytes, size_t length)
{
    size_t used = (size_t)(context->bits / 8 % 64);
    context->bits += (uint64_t)length * 8;
    FeedBlocks(context->state, context->block, used, (const unsigned char*)bytes, length, MD5_Transform);
}

void MD5_Final(MD5Context* context)
{
    uint64_t bits = context->bits;
    unsigned char padding[72] = {0x80};
    size_t used = (size_t)(bits / 8 % 64);
    size_t padLength = used < 56 ? 56 - used : 120 - used;
    unsigned char length[8];
    for (int i = 0; i < 8; i++) length[i] = (unsigned char)(bits >> (8 * i));
    MD5_Update(context, padding, padLength);
    MD5_Update(context, length, 8);
    for (int i = 0; i < 16; i++) context->digest[i] = (unsigned char)(context->state[i / 4] >> (8 * (i % 4)));
}

void SHA1_Reset(SHA1Context* context)
{
    memset(context, 0, sizeof(*context));
    context->Message_Digest[0] = 0x67452301;
    context->Message_Digest[1] = 0xEFCDAB89;
    context->Message_Digest[2] = 0x98BADCFE;
    context->Message_Digest[3] = 0x10325476;
    context->Message_Digest[4] = 0xC3D2E1F0;
}

bool SHA1_Input(SHA1Context* context, const void* bytes, size_t length)
{
    if (context->computed || context->corrupted) {
        context->corrupted = true;
        return false;
    }
    if (length > (UINT64_MAX - context->bits) / 8) {
        context->corrupted = true;
        return false;
    }
    context->bits += (uint64_t)length * 8;
    context->blockLength = (int)FeedBlocks(context->Message_Digest, context->block, (size_t)context->blockLength,
                                           (const unsigned char*)bytes, length, SHA1_Transform);
    return true;
}

bool SHA1_Result(SHA1Context* context)
{
    if (context->corrupted) return false;
    if (context->computed) return true;
    uint64_t bits = context->bits;
    context->block[context->blockLength++] = 0x80;
    if (context->blockLength > 56) {
        memset(context->block + context->blockLength, 0, 64 - context->blockLength);
        SHA1_Transform(context->Message_Digest, context->block);
        context->blockLength = 0;
    }
    memset(context->block + context->blockLength, 0, 56 - context->blockLength);
    for (int i = 0; i < 8; i++) context->block[56 + i] = (unsigned char)(bits >> (56 - 8 * i));
    SHA1_Transform(context->Message_Digest, context->block);
    memset(context->block, 0, sizeof(context->block));
    context->blockLength = 0;
    context->computed = true;
    return true;
}

int Base64_Encode(const void* bytes, int length, char* out)
{
    const unsigned char* in = (const unsigned char*)bytes;
    char* p = out;
    for (int i = 0; i < length; i += 3) {
        int left = length - i;
        uint32_t v = (uint32_t)in[i] << 16;
        if (left > 1) v |= in[i + 1] << 8;
        if (left > 2) v |= in[i + 2];
        *p++ = kBase64[(v >> 18) & 63];
        *p++ = kBase64[(v >> 12) & 63];
        *p++ = left > 1 ? kBase64[(v >> 6) & 63] : '=';
        *p++ = left > 2 ? kBase64[v & 63] : '=';
    }
    *p = 0;
    return (int)(p - out);
}

int Base64_Decode(const char* text, int length, unsigned char* out)
{
    // Every 4 characters give at most 3 bytes, so n characters never give more than 3n/4.
    int written = 0;
    uint32_t bits = 0;
    int count = 0;
    for (int i = 0; i < length; i++) {
        unsigned char c = (unsigned char)text[i];
        if (c == '=') break;
        int v = Base64_Value(c);
        if (v < 0) continue;
        bits = (bits << 6) | (uint32_t)v;
        if (++count == 4) {
            out[written++] = (unsigned char)(bits >> 16);
            out[written++] = (unsigned char)(bits >> 8);
            out[written++] = (unsigned char)bits;
            bits = 0;
            count = 0;
        }
    }
    if (count == 2) {
        out[written++] = (unsigned char)(bits >> 4);
    } else if (count == 3) {
        out[written++] = (unsigned char)(bits >> 10);
        out[written++] = (unsigned char)(bits >> 2);
    }
    out[written] = 0;
    return written;
}
