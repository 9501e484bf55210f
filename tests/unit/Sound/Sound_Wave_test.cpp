// The WAV reader: what it accepts, the canonical image it makes, and the damaged images it refuses.
#include "Sound/Sound_Wave.h"
#include "WaveMaker.h"

#include <gtest/gtest.h>
#include <string>

namespace {

bool Read(const std::vector<uint8_t>& image, WaveInfo* info, std::string* why = nullptr)
{
    const char* reason = "";
    bool ok = Wave_Read(image.data(), image.size(), info, &reason);
    if (why) *why = reason;
    return ok;
}

void Set16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}

void Set32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

}  // namespace

TEST(WaveReader, ReadsPlainPcmAndMakesTheSameImage)
{
    std::vector<uint8_t> stereo = WaveMaker::Tone(440, 0.01, 2, 22050);
    WaveInfo w;
    ASSERT_TRUE(Read(stereo, &w));
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.rate, 22050);
    EXPECT_EQ(w.bytes, stereo.size() - 44);
    EXPECT_EQ(Wave_Canonical(w), stereo);

    std::vector<uint8_t> eight = WaveMaker::Image({128, 200, 56}, 1, 8, 8000);
    ASSERT_TRUE(Read(eight, &w));
    EXPECT_EQ(w.bits, 8);
    EXPECT_EQ(w.bytes, 3u);
}

TEST(WaveReader, SkipsOtherChunksAndReadsTheExtensibleForm)
{
    std::vector<uint8_t> tone = WaveMaker::Tone(440, 0.01);
    // A LIST chunk of odd length (padded) between the format and the data.
    std::vector<uint8_t> withList(tone.begin(), tone.begin() + 36);
    withList.insert(withList.end(), {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
    withList.insert(withList.end(), tone.begin() + 36, tone.end());
    Set32(withList, 4, (uint32_t)withList.size() - 8);
    WaveInfo w;
    ASSERT_TRUE(Read(withList, &w));
    EXPECT_EQ(Wave_Canonical(w), tone);

    // WAVE_FORMAT_EXTENSIBLE with the PCM sub-format becomes plain PCM.
    std::vector<uint8_t> ext(tone.begin(), tone.begin() + 12);
    ext.insert(ext.end(), {'f', 'm', 't', ' ', 40, 0, 0, 0});
    ext.insert(ext.end(), tone.begin() + 20, tone.begin() + 36);
    Set16(ext, 20, 0xFFFE);
    ext.insert(ext.end(), {22, 0, 16, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
    ext.insert(ext.end(), tone.begin() + 36, tone.end());
    Set32(ext, 4, (uint32_t)ext.size() - 8);
    ASSERT_TRUE(Read(ext, &w));
    EXPECT_EQ(Wave_Canonical(w), tone);
}

TEST(WaveReader, RefusesDamagedAndUnplayableImages)
{
    const std::vector<uint8_t> good = WaveMaker::Tone(440, 0.01, 2);
    struct Case {
        const char* what;
        std::vector<uint8_t> image;
    };
    std::vector<Case> cases;
    auto damaged = [&](const char* what, auto change) {
        std::vector<uint8_t> b = good;
        change(b);
        cases.push_back({what, b});
    };
    damaged("not RIFF", [](auto& b) { b[0] = 'X'; });
    damaged("not WAVE", [](auto& b) { b[8] = 'X'; });
    damaged("truncated data", [](auto& b) { b.resize(b.size() - 3); });
    damaged("data length past the end", [](auto& b) { Set32(b, 40, 0xFFFFFFF0u); });
    damaged("format chunk past the end", [](auto& b) { Set32(b, 16, 0x7FFFFFFFu); });
    damaged("short format chunk", [](auto& b) { Set32(b, 16, 8); });
    damaged("compressed", [](auto& b) { Set16(b, 20, 2); });
    damaged("three channels", [](auto& b) { Set16(b, 22, 3); });
    damaged("no channels", [](auto& b) { Set16(b, 22, 0); });
    damaged("24 bits", [](auto& b) { Set16(b, 34, 24); });
    damaged("rate 0", [](auto& b) { Set32(b, 24, 0); });
    damaged("no data chunk", [](auto& b) { b[36] = 'x'; });
    damaged("data before format", [](auto& b) { b[12] = 'x'; });
    damaged("empty data", [](auto& b) {
        b.resize(44);
        Set32(b, 40, 0);
    });
    damaged("only a part of a frame", [](auto& b) {
        b.resize(47);
        Set32(b, 40, 3);
    });
    damaged("header only", [](auto& b) { b.resize(11); });
    damaged("a RIFF size shorter than its own header", [](auto& b) { Set32(b, 4, 2); });
    for (const Case& c : cases) {
        WaveInfo w;
        std::string why;
        EXPECT_FALSE(Read(c.image, &w, &why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
    WaveInfo w;
    const char* why = "";
    EXPECT_FALSE(Wave_Read(nullptr, 0, &w, &why));
}

TEST(WaveReader, EntriesStayInsideTheirBuffer)
{
    std::vector<uint8_t> entry = {3, 0, 0, 0, 'a', 'b', 'c'};
    size_t length = 0;
    EXPECT_EQ(Wave_Entry(entry.data(), entry.size(), &length), entry.data() + 4);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(Wave_Entry(entry.data(), entry.size() - 1, &length), nullptr);
    EXPECT_EQ(length, 0u);
    entry[3] = 0xFF;  // a length far past the end
    EXPECT_EQ(Wave_Entry(entry.data(), entry.size(), &length), nullptr);
    EXPECT_EQ(Wave_Entry(entry.data(), 3, &length), nullptr);
}
