// The high-score table: ordering, bounds, the empty-place name and "hiscore.dat".
#include "../Base/CapturedWarnings.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Run/HighScore.h"
#include "Support/LoadSave.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string NameAt(int place)
{
    const char* name = nullptr;
    if (!HighScore_GetName(&name, place)) return "<out of range>";
    return name ? name : "<none>";
}

class HighScoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("hiscore_test_" + std::to_string(getpid()));
        fs::create_directories(dir);
        const char* old = getenv("XDG_DATA_HOME");
        oldData = old ? old : "";
        setenv("XDG_DATA_HOME", dir.c_str(), 1);
        LoadSave_SetGameName("scores");
        HighScore_SetEmptyName("<nobody>");
        HighScore_Clear();
    }
    void TearDown() override
    {
        if (oldData.empty()) unsetenv("XDG_DATA_HOME");
        else setenv("XDG_DATA_HOME", oldData.c_str(), 1);
        fs::remove_all(dir);
    }
    fs::path File() { return dir / "scores" / "hiscore.dat"; }
    void WriteFile(const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(File(), std::ios::binary | std::ios::trunc);
        out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
    }
    std::vector<uint8_t> Encoded()
    {
        uint8_t* bytes;
        size_t size = HighScore_Encode(&bytes);
        std::vector<uint8_t> out(bytes, bytes + size);
        MemFree(bytes);
        return out;
    }

    fs::path dir;
    std::string oldData;
    TCapturedWarnings capture;
};

TEST_F(HighScoreTest, PlacesStayOrderedAndBounded)
{
    for (int place = 1; place <= HIGHSCORE_PLACES; place++) {
        EXPECT_EQ(NameAt(place), "<nobody>");
        EXPECT_EQ(HighScore_GetValue(place), 0);
    }
    HighScore_Add("ann", 50);
    HighScore_Add("bob", 80);
    HighScore_Add("cid", 50);  // an equal score goes below the earlier one
    EXPECT_EQ(NameAt(1), "bob");
    EXPECT_EQ(NameAt(2), "ann");
    EXPECT_EQ(NameAt(3), "cid");
    EXPECT_EQ(HighScore_GetValue(3), 50);
    EXPECT_EQ(NameAt(4), "<nobody>");

    for (int i = 0; i < 12; i++) HighScore_Add("many", 100 + i);
    EXPECT_EQ(HighScore_GetValue(1), 111);
    EXPECT_EQ(HighScore_GetValue(10), 102);
    HighScore_Add("low", 5);
    EXPECT_EQ(HighScore_GetValue(10), 102) << "a score below all ten is dropped";

    for (int place : {0, -1, 11, 1000}) {
        EXPECT_EQ(HighScore_GetValue(place), 0);
        EXPECT_EQ(NameAt(place), "<out of range>");
    }
    HighScore_Add(nullptr, 500);
    EXPECT_EQ(NameAt(1), "<none>");
}

TEST_F(HighScoreTest, EmptyPlaceNameIsWhatClearWrites)
{
    HighScore_SetEmptyName("---");
    HighScore_Clear();
    EXPECT_EQ(NameAt(1), "---");
    HighScore_SetEmptyName("");
    HighScore_Clear();
    EXPECT_EQ(NameAt(10), "<none>");
    HighScore_SetEmptyName("<nobody>");
}

TEST_F(HighScoreTest, FileRoundTripAndDamagedFiles)
{
    HighScore_Add("\xC3\xA9mile", 300);
    HighScore_Add("zed", -4);  // below ten empty places: dropped
    HighScore_Add("kim", 7);
    ASSERT_TRUE(fs::exists(File())) << "each change is saved";
    std::vector<uint8_t> good = Encoded();
    ASSERT_EQ(std::string(good.begin(), good.begin() + 4), "HISC");

    HighScore_Clear();
    WriteFile(good);
    HighScore_Load();
    EXPECT_EQ(NameAt(1), "\xC3\xA9mile");
    EXPECT_EQ(HighScore_GetValue(1), 300);
    EXPECT_EQ(NameAt(2), "kim");
    EXPECT_EQ(NameAt(3), "<nobody>");
    EXPECT_EQ(HighScore_GetValue(10), 0);
    EXPECT_EQ(Encoded(), good);

    std::vector<std::vector<uint8_t>> damaged;
    damaged.push_back({});                                        // empty
    damaged.push_back(std::vector<uint8_t>(good.begin(), good.end() - 1));  // cut
    damaged.push_back(good);
    damaged.back()[1] = 'X';                                      // magic
    damaged.push_back(good);
    damaged.back().push_back(0);                                  // trailing byte
    damaged.push_back(damaged.back());
    damaged.back()[4]++;                                          // ... counted in the length
    damaged.push_back(good);
    damaged.back()[8] = 0xFF;                                     // first name far too long
    damaged.push_back(good);
    damaged.back()[12] = 0;                                       // NUL inside a name
    for (const auto& bytes : damaged) {
        WriteFile(good);
        HighScore_Load();
        ASSERT_EQ(HighScore_GetValue(1), 300);
        capture.text.clear();
        EXPECT_FALSE(HighScore_Decode(bytes.data(), bytes.size()));
        EXPECT_EQ(HighScore_GetValue(1), 300) << "a failed read leaves the table";
        WriteFile(bytes);
        HighScore_Load();
        EXPECT_EQ(HighScore_GetValue(1), 0) << "a damaged file gives the cleared table";
        EXPECT_EQ(NameAt(1), "<nobody>");
        EXPECT_NE(capture.text.find("damaged"), std::string::npos);
    }

    // The next change rewrites the file; the damaged one is kept beside it for the player.
    std::vector<uint8_t> hurt = good;
    hurt[9] = 0x7F;
    WriteFile(hurt);
    HighScore_Load();
    HighScore_Add("new", 5);
    std::ifstream kept(dir / "scores" / "hiscore.damaged", std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(kept), {}), hurt);
    EXPECT_NE(capture.text.find("hiscore.damaged"), std::string::npos);
    HighScore_Load();
    EXPECT_EQ(NameAt(1), "new");

    fs::remove(File());
    capture.text.clear();
    HighScore_Load();
    EXPECT_EQ(NameAt(5), "<nobody>");
    EXPECT_EQ(capture.text, "") << "no file is no fault";
}

}  // namespace
