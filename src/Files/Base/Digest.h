// MD5 (RFC 1321), SHA-1 (FIPS 180-1) and base64 (RFC 4648, standard alphabet with padding).
#pragma once
#include <cstddef>
#include <cstdint>

struct MD5Context {
    uint32_t state[4];
    uint64_t bits;  // message length so far
    unsigned char block[64];
    unsigned char digest[16];  // set by MD5_Final
};

void MD5_Init(MD5Context* context);
void MD5_Update(MD5Context* context, const void* bytes, size_t length);
// Pads, finishes and leaves the 16-byte digest in context->digest.
void MD5_Final(MD5Context* context);

struct SHA1Context {
    uint32_t Message_Digest[5];  // the digest once SHA1_Result succeeded
    uint64_t bits;
    unsigned char block[64];
    int blockLength;
    bool computed;
    bool corrupted;  // input after the result, or a message of 2^64 bits or more
};

void SHA1_Reset(SHA1Context* context);
// False when the context no longer takes input (after SHA1_Result, or too long a message).
bool SHA1_Input(SHA1Context* context, const void* bytes, size_t length);
// Finishes the digest into Message_Digest; false when the context is corrupted.
bool SHA1_Result(SHA1Context* context);

// Writes the base64 text of `length` bytes and a NUL; `out` holds 4 * ceil(length / 3) + 1 bytes,
// which is within length * 4 / 3 + 68. Returns the text length.
int Base64_Encode(const void* bytes, int length, char* out);
// Decodes `length` characters of text and writes the bytes and a NUL; `out` holds
// length * 3 / 4 + 68 bytes, which any input, valid or not, stays within. Characters outside the
// alphabet are skipped and the first "=" ends the data. Returns the number of bytes.
int Base64_Decode(const char* text, int length, unsigned char* out);
