// The image reader: the WAV and AU images it accepts, the canonical image it makes, and the
// damaged and unplayable images it refuses, with the kind of each refusal.
#include "Sound/Sound_Wave.h"
#include "WaveMaker.h"

#include <gtest/gtest.h>
#include <string>

namespace {

bool Read(const std::vector<uint8_t>& image, WaveInfo* info, std::string* why = nullptr, WaveFailure* failure = nullptr)
{
    const char* reason = "";
    bool ok = Wave_Read(image.data(), image.size(), info, &reason, failure);
    if (why) *why = reason;
    return ok;
}

// An AU image: the header (big-endian) and the data.
std::vector<uint8_t> Au(uint32_t encoding, uint32_t rate, uint32_t channels, const std::vector<uint8_t>& data,
                        uint32_t offset = 24, uint32_t length = 0)
{
    std::vector<uint8_t> b = {'.', 's', 'n', 'd'};
    for (uint32_t v : {offset, length ? length : (uint32_t)data.size(), encoding, rate, channels})
        for (int i = 3; i >= 0; i--) b.push_back((uint8_t)(v >> (8 * i)));
    b.resize(offset, 0);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// The 16-bit samples of a canonical image.
std::vector<int16_t> Samples16(const std::vector<uint8_t>& image)
{
    std::vector<int16_t> out;
    for (size_t i = 44; i + 1 < image.size(); i += 2) out.push_back((int16_t)(image[i] | image[i + 1] << 8));
    return out;
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

TEST(WaveReader, AuImagesAndMuLawBecomeLinearPcm)
{
    // The canonical image of an image read (which must outlive the reading).
    auto canonical = [](const std::vector<uint8_t>& image, WaveInfo* w) {
        EXPECT_TRUE(Read(image, w));
        return w->samples ? Wave_Canonical(*w) : std::vector<uint8_t>();
    };
    WaveInfo w;
    // mu-law: silence, the loudest positive and negative; A-law likewise; as 16 bits.
    std::vector<uint8_t> image = canonical(Au(1, 8000, 1, {0xFF, 0x80, 0x00}), &w);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.rate, 8000);
    EXPECT_EQ(Samples16(image), (std::vector<int16_t>{0, 32124, -32124}));
    ASSERT_TRUE(Read(image, &w));  // the canonical image reads back as plain PCM
    EXPECT_EQ(w.encoding, WaveEncoding::Linear);
    EXPECT_EQ(Samples16(canonical(Au(27, 8000, 1, {0xD5, 0xAA, 0x2A}), &w)), (std::vector<int16_t>{8, 32256, -32256}));
    // 16-bit big-endian stereo, with a longer header; a part of a frame at the end is left out.
    EXPECT_EQ(Samples16(canonical(Au(3, 22050, 2, {0x12, 0x34, 0xFF, 0xFE, 0x00}, 32), &w)), (std::vector<int16_t>{0x1234, -2}));
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.bytes, 4u);
    // Signed 8 bits become unsigned; a length of all ones runs to the end of the image.
    image = canonical(Au(2, 11025, 1, {0x00, 0x7F, 0x80}, 24, 0xFFFFFFFFu), &w);
    EXPECT_EQ(w.bits, 8);
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 44, image.end()), (std::vector<uint8_t>{0x80, 0xFF, 0x00}));
    // A WAV image of mu-law (format 7, 8 bits).
    std::vector<uint8_t> wave = WaveMaker::Image({0xFF, 0x00}, 1, 8, 8000);
    Set16(wave, 20, 7);
    EXPECT_EQ(Samples16(canonical(wave, &w)), (std::vector<int16_t>{0, -32124}));
}

TEST(WaveReader, EachRefusalHasItsKind)
{
    std::vector<uint8_t> aLaw = WaveMaker::Image({0xD5}, 1, 8, 8000);
    Set16(aLaw, 20, 6);
    std::vector<uint8_t> notWave = WaveMaker::Tone(440, 0.01);
    notWave[8] = 'X';
    const struct {
        const char* what;
        std::vector<uint8_t> image;
        WaveFailure failure;
    } cases[] = {
        {"raw bytes", {1, 2, 3, 4, 5, 6, 7, 8}, WaveFailure::NotSound},
        {"an Ogg file", {'O', 'g', 'g', 'S', 0, 2, 0, 0}, WaveFailure::NotSound},
        {"a RIFF that is not a WAVE", notWave, WaveFailure::Unsupported},
        {"A-law in a WAV", aLaw, WaveFailure::Unsupported},
        {"24-bit AU", Au(4, 8000, 1, {1, 2, 3}), WaveFailure::Unsupported},
        {"AU of three channels", Au(1, 8000, 3, {1, 2, 3}), WaveFailure::Unsupported},
        {"AU at rate 0", Au(1, 0, 1, {1}), WaveFailure::Unsupported},
        {"AU data past the end", Au(1, 8000, 1, {1, 2}, 24, 3), WaveFailure::Damaged},
        {"AU with no samples", Au(1, 8000, 1, {}, 24, 0xFFFFFFFFu), WaveFailure::Damaged},
        {"AU offset inside its header", Au(1, 8000, 1, {1, 2}, 8), WaveFailure::Damaged},
        {"AU header cut short", {'.', 's', 'n', 'd', 0, 0, 0, 24}, WaveFailure::Damaged},
        {"AU of half a frame", Au(3, 8000, 1, {1}), WaveFailure::Damaged},
        {"RIFF header cut short", {'R', 'I', 'F', 'F', 4, 0, 0, 0}, WaveFailure::Damaged},
    };
    for (const auto& c : cases) {
        WaveInfo w;
        std::string why;
        WaveFailure failure = WaveFailure::NotSound;
        EXPECT_FALSE(Read(c.image, &w, &why, &failure)) << c.what;
        EXPECT_EQ(failure, c.failure) << c.what << ": " << why;
        EXPECT_FALSE(why.empty()) << c.what;
        EXPECT_EQ(w.samples, nullptr) << c.what;
    }
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
