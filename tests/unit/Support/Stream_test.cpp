#include "Base/MemoryManager.h"
#include "Support/Stream.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <zlib.h>

namespace {

// A stream holding exactly the given bytes, positioned at 0.
void Fill(CStream& s, const void* bytes, int64_t n)
{
    s.WriteBytes(bytes, n);
    s.Seek(0);
}

}  // namespace

TEST(Stream, RoundTripOfEveryKind)
{
    size_t live = MemoryManager_LiveBlocks();
    {
        CStream inner(0);
        inner.WriteInteger(77);
        CStream s(4);  // smaller than what follows: it grows
        s.WriteInteger(-123456789);
        s.WriteReal(-0.1);
        s.WriteReal(INFINITY);
        s.WriteBoolean(true);
        s.WriteBoolean(false);
        s.WriteString("h\xC3\xA9llo");
        s.WriteString("");
        s.WriteString(nullptr);
        s.WriteStream(&inner);
        ASSERT_TRUE(ZCompressStream(&s, &inner));
        int64_t end = s.GetPosition();
        EXPECT_EQ(s.GetSize(), end);
        // Little-endian on the wire.
        EXPECT_EQ(memcmp(s.GetBuffer(), "\xEB\x32\xA4\xF8", 4), 0);

        s.Seek(0);
        EXPECT_EQ(s.ReadInteger(), -123456789);
        EXPECT_EQ(s.ReadReal(), -0.1);
        EXPECT_EQ(s.ReadReal(), INFINITY);
        EXPECT_TRUE(s.ReadBoolean());
        EXPECT_FALSE(s.ReadBoolean());
        char* text = nullptr;
        EXPECT_TRUE(s.ReadStringTo(&text));
        EXPECT_STREQ(text, "h\xC3\xA9llo");
        EXPECT_TRUE(s.ReadStringTo(&text));  // frees the previous string
        EXPECT_EQ(text, nullptr);            // length 0 reads as null
        EXPECT_TRUE(s.ReadStringTo(&text));
        EXPECT_EQ(text, nullptr);
        CStream* block = s.ReadStream();
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->GetPosition(), 0);
        EXPECT_EQ(block->ReadInteger(), 77);
        delete block;
        CStream* unpacked = ZDecompressStream(&s);
        ASSERT_NE(unpacked, nullptr);
        EXPECT_EQ(unpacked->GetSize(), 4);
        EXPECT_EQ(unpacked->ReadInteger(), 77);
        delete unpacked;
        EXPECT_EQ(s.GetPosition(), end);
        EXPECT_FALSE(s.IsOverrun());
        // The stream may write its own bytes.
        s.WriteStream(&s);
        EXPECT_EQ(s.GetSize(), 2 * end + 4);
        s.Seek(end);
        CStream* copy = s.ReadStream();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(memcmp(copy->GetBuffer(), s.GetBuffer(), (size_t)end), 0);
        delete copy;
        // Also when the prefix lands inside the bytes it announces.
        CStream small(0);
        small.WriteInteger(5);
        small.WriteInteger(6);
        small.Seek(4);
        small.WriteStream(&small);
        small.Seek(4);
        copy = small.ReadStream();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->ReadInteger(), 5);
        EXPECT_EQ(copy->ReadInteger(), 6);
        delete copy;
    }
    EXPECT_EQ(MemoryManager_LiveBlocks(), live);
}

TEST(Stream, ReadsPastTheEndGiveDefaults)
{
    CStream empty(0);
    EXPECT_EQ(empty.GetBuffer(), nullptr);
    EXPECT_EQ(empty.ReadInteger(), 0);
    EXPECT_EQ(empty.ReadReal(), 0.0);
    EXPECT_FALSE(empty.ReadBoolean());
    char* text = MemStrDup("old");
    EXPECT_FALSE(empty.ReadStringTo(&text));
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(empty.ReadStream(), nullptr);
    EXPECT_EQ(ZDecompressStream(&empty), nullptr);
    EXPECT_TRUE(empty.IsOverrun());

    // Three bytes are not an integer; the position goes to the end.
    CStream shortInt(0);
    Fill(shortInt, "\x01\x02\x03", 3);
    EXPECT_EQ(shortInt.ReadInteger(), 0);
    EXPECT_EQ(shortInt.GetPosition(), 3);

    CStream shortReal(0);
    Fill(shortReal, "\x01\x02\x03\x04\x05\x06\x07", 7);
    EXPECT_EQ(shortReal.ReadReal(), 0.0);
    EXPECT_TRUE(shortReal.IsOverrun());

    // Length prefixes larger than what remains, up to 0xFFFFFFFF, fail without reading.
    const unsigned char lengths[][4] = {{5, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0x80}};
    for (const auto& prefix : lengths) {
        CStream s(0);
        s.WriteBytes(prefix, 4);
        s.WriteBytes("abcd", 4);
        s.Seek(0);
        EXPECT_FALSE(s.ReadStringTo(&text));
        EXPECT_EQ(text, nullptr);
        EXPECT_EQ(s.GetPosition(), 8);
        s.Seek(0);
        EXPECT_EQ(s.ReadStream(), nullptr);
        s.Seek(0);
        EXPECT_EQ(ZDecompressStream(&s), nullptr);
        EXPECT_EQ(s.ReadInteger(), 0);
    }
}

TEST(Stream, HostileZlibBlocksFail)
{
    std::string plain(100000, 'x');
    uLongf packedLength = compressBound((uLong)plain.size());
    std::string packed(packedLength, 0);
    compress2((Bytef*)packed.data(), &packedLength, (const Bytef*)plain.data(), (uLong)plain.size(), 9);
    packed.resize(packedLength);

    auto Decompress = [](const std::string& block) {
        CStream s(0);
        s.WriteInteger((int)block.size());
        s.WriteBytes(block.data(), (int64_t)block.size());
        s.WriteInteger(42);
        s.Seek(0);
        CStream* out = ZDecompressStream(&s);
        bool ok = out != nullptr;
        if (out) {
            EXPECT_EQ(out->GetSize(), 100000);
        }
        delete out;
        EXPECT_EQ(s.ReadInteger(), 42);  // the source moved past the block either way
        return ok;
    };
    EXPECT_TRUE(Decompress(packed));
    EXPECT_FALSE(Decompress(packed.substr(0, packed.size() / 2)));  // truncated
    EXPECT_FALSE(Decompress(std::string("not zlib at all")));
    EXPECT_FALSE(Decompress(std::string()));
    std::string flipped = packed;
    flipped[flipped.size() - 2] ^= 0x55;  // checksum no longer matches
    EXPECT_FALSE(Decompress(flipped));
}

TEST(Stream, DecompressedSizeIsCapped)
{
    // A small block that inflates past the cap is refused rather than filling memory.
    z_stream z{};
    deflateInit(&z, 9);
    CStream s(0);
    s.WriteInteger(0);  // length, patched below
    std::string zeros(1 << 20, 0);
    unsigned char out[65536];
    for (int64_t produced = 0; produced <= ZStream_MaxSize; produced += (int64_t)zeros.size()) {
        z.next_in = (Bytef*)zeros.data();
        z.avail_in = (uInt)zeros.size();
        do {
            z.next_out = out;
            z.avail_out = sizeof(out);
            deflate(&z, Z_NO_FLUSH);
            s.WriteBytes(out, (int64_t)(sizeof(out) - z.avail_out));
        } while (z.avail_out == 0);
    }
    int status;
    do {
        z.next_out = out;
        z.avail_out = sizeof(out);
        status = deflate(&z, Z_FINISH);
        s.WriteBytes(out, (int64_t)(sizeof(out) - z.avail_out));
    } while (status != Z_STREAM_END);
    deflateEnd(&z);
    int length = (int)(s.GetSize() - 4);
    s.Seek(0);
    s.WriteInteger(length);
    s.Seek(0);
    EXPECT_EQ(ZDecompressStream(&s), nullptr);
}

TEST(Stream, Files)
{
    std::string dir = std::filesystem::temp_directory_path() / ("stream_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string file = dir + "/data.bin";
    CStream s(0);
    s.WriteInteger(1);
    s.WriteInteger(2);
    s.WriteInteger(3);
    s.Seek(8);  // only the bytes before the position are saved
    ASSERT_TRUE(s.SaveToFile(file.c_str()));
    EXPECT_EQ(std::filesystem::file_size(file), 8u);

    CStream in(0);
    ASSERT_TRUE(in.LoadFromFile(file.c_str(), 4));
    EXPECT_EQ(in.GetSize(), 4);
    EXPECT_EQ(in.ReadInteger(), 2);
    EXPECT_TRUE(in.LoadFromFile(file.c_str(), 8));  // from the end: empty
    EXPECT_EQ(in.GetSize(), 0);
    EXPECT_FALSE(in.LoadFromFile(file.c_str(), 9));
    EXPECT_FALSE(in.LoadFromFile(file.c_str(), -1));
    EXPECT_FALSE(in.LoadFromFile((dir + "/missing").c_str(), 0));
    EXPECT_FALSE(in.LoadFromFile(dir.c_str(), 0));  // a folder
    EXPECT_EQ(in.GetBuffer(), nullptr);
    EXPECT_FALSE(s.SaveToFile((dir + "/no/such/folder/x").c_str()));
    in.LoadFromFile(file.c_str(), 0);
    in.FreeBuffer();
    EXPECT_EQ(in.GetBuffer(), nullptr);
    EXPECT_EQ(in.GetSize(), 0);
    std::filesystem::remove_all(dir);
}
