#include "Base/Digest.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Hex(const unsigned char* bytes, int n)
{
    std::string s;
    char b[3];
    for (int i = 0; i < n; i++) {
        snprintf(b, sizeof(b), "%02x", bytes[i]);
        s += b;
    }
    return s;
}

std::string MD5Hex(const std::string& text, size_t piece)
{
    MD5Context c;
    MD5_Init(&c);
    for (size_t i = 0; i < text.size(); i += piece) MD5_Update(&c, text.data() + i, std::min(piece, text.size() - i));
    MD5_Final(&c);
    return Hex(c.digest, 16);
}

std::string SHA1Hex(SHA1Context& c)
{
    char b[48];
    snprintf(b, sizeof(b), "%08X%08X%08X%08X%08X", c.Message_Digest[0], c.Message_Digest[1], c.Message_Digest[2],
             c.Message_Digest[3], c.Message_Digest[4]);
    return b;
}

}  // namespace

TEST(Digest, MD5TestSuite)
{
    const std::pair<const char*, const char*> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : suite) {
        // Fed whole and in pieces that straddle block boundaries.
        EXPECT_EQ(MD5Hex(text, 1000), digest) << text;
        EXPECT_EQ(MD5Hex(text, 7), digest) << text;
    }
}

TEST(Digest, SHA1Vectors)
{
    SHA1Context c;
    SHA1_Reset(&c);
    ASSERT_TRUE(SHA1_Input(&c, "abc", 3));
    ASSERT_TRUE(SHA1_Result(&c));
    EXPECT_EQ(SHA1Hex(c), "A9993E364706816ABA3E25717850C26C9CD0D89D");

    const char* twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    SHA1_Reset(&c);
    for (size_t i = 0, n = strlen(twoBlocks); i < n; i += 5) SHA1_Input(&c, twoBlocks + i, std::min<size_t>(5, n - i));
    ASSERT_TRUE(SHA1_Result(&c));
    EXPECT_EQ(SHA1Hex(c), "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");

    std::string million(1000000, 'a');
    SHA1_Reset(&c);
    SHA1_Input(&c, million.data(), million.size());
    ASSERT_TRUE(SHA1_Result(&c));
    EXPECT_EQ(SHA1Hex(c), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");

    // Input after the result is refused and the digest stays.
    EXPECT_FALSE(SHA1_Input(&c, "x", 1));
    EXPECT_FALSE(SHA1_Result(&c));
}

TEST(Digest, Base64Vectors)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        char text[32];
        EXPECT_EQ(Base64_Encode(plain, (int)strlen(plain), text), (int)strlen(encoded));
        EXPECT_STREQ(text, encoded);
        unsigned char bytes[80];
        EXPECT_EQ(Base64_Decode(encoded, (int)strlen(encoded), bytes), (int)strlen(plain));
        EXPECT_STREQ((const char*)bytes, plain);
    }
    unsigned char all[256];
    for (int i = 0; i < 256; i++) all[i] = (unsigned char)i;
    char text[400];
    int n = Base64_Encode(all, 256, text);
    EXPECT_EQ(n, 344);
    unsigned char back[400];
    ASSERT_EQ(Base64_Decode(text, n, back), 256);
    EXPECT_EQ(memcmp(back, all, 256), 0);
}

TEST(Digest, Base64DecodeOfHostileText)
{
    unsigned char out[80];
    // Characters outside the alphabet are skipped; the first "=" ends the data.
    EXPECT_EQ(Base64_Decode("Zm 9v\r\nYm*Fy", 13, out), 6);
    EXPECT_STREQ((const char*)out, "foobar");
    EXPECT_EQ(Base64_Decode("Zg==Zm9v", 8, out), 1);
    EXPECT_EQ(Base64_Decode("====", 4, out), 0);
    EXPECT_EQ(Base64_Decode("Z", 1, out), 0);  // a lone character carries no byte
    EXPECT_EQ(out[0], 0);

    // Random text never writes past length * 3 / 4 + 68 bytes: the buffer is exactly that big,
    // so AddressSanitizer sees any overrun.
    std::mt19937 random(7);
    for (int round = 0; round < 200; round++) {
        int length = (int)(random() % 300);
        std::string text(length, 0);
        for (char& c : text) c = (char)(random() % 3 ? "ABCxyz019+/"[random() % 11] : random() % 256);
        std::vector<unsigned char> buffer((size_t)length * 3 / 4 + 68);
        int decoded = Base64_Decode(text.data(), length, buffer.data());
        EXPECT_LE(decoded, length * 3 / 4);
    }
}
