#include "Base/MemoryManager.h"
#include "Support/IniFile.h"
#include "Support/LoadSave.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::canonical(fs::temp_directory_path()) / ("ini_" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "prog");
        setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
        LoadSave_SetGameName("IniGame");
        LoadSave_SetProgramFolder((root / "prog").c_str());
    }
    void TearDown() override { fs::remove_all(root); }
    void Put(const fs::path& path, const std::string& text)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string SaveFile(const char* name)
    {
        std::ifstream in(root / "xdg" / "IniGame" / name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    const char* Value(IniFile& ini, const char* section, const char* key)
    {
        IniKey* k = ini.FindKey(section, key);
        return k ? k->value : nullptr;
    }
    fs::path root;
};

}  // namespace

TEST_F(IniFileTest, MalformedTextParses)
{
    // BOM, CR LF and lone CR, names in any case, lines without "=", duplicates, empty sections,
    // keys before any section, and an unterminated section header.
    std::string text =
        "\xEF\xBB\xBF" "orphan=1\r\n"
        "[ Main ]\r\n"
        "  Name =  Alice  \r\n"
        "no equals sign here\r\n"
        "name=Bob\r"
        "=nameless\n"
        "Empty=\n"
        "a=b=c\n"
        "[empty]\n"
        "[MAIN]\n"
        "Extra=1\n"
        "[unterminated\n"
        "k=v";
    IniFile ini("x.ini", text.data(), (int64_t)text.size());
    EXPECT_STREQ(Value(ini, "main", "NAME"), "Alice");  // the first duplicate wins
    EXPECT_STREQ(Value(ini, "Main", "empty"), "");
    EXPECT_STREQ(Value(ini, "Main", "a"), "b=c");
    EXPECT_STREQ(Value(ini, "main", "extra"), "1");  // a repeated section continues the first
    EXPECT_EQ(ini.FindKey("main", "no equals sign here"), nullptr);
    EXPECT_EQ(ini.FindKey("main", ""), nullptr);
    EXPECT_EQ(ini.FindKey("", "orphan"), nullptr);
    ASSERT_NE(ini.FindSection("EMPTY"), nullptr);
    EXPECT_EQ(ini.FindSection("EMPTY")->keys, nullptr);
    EXPECT_STREQ(Value(ini, "unterminated", "k"), "v");
    int keys = 0;
    for (IniKey* k = ini.FindSection("main")->keys; k; k = k->next) keys++;
    EXPECT_EQ(keys, 4);
    EXPECT_FALSE(ini.changed);

    // Bytes of any value, including NUL, do not upset the parser.
    const char raw[] = "[s]\0k=\0v\n\xFF=\xFE\n[a\0b]\nz=1\n";
    std::string binary(raw, sizeof(raw) - 1);
    IniFile other("y.ini", binary.data(), (int64_t)binary.size());
    EXPECT_NE(other.FindSection("s"), nullptr);
    EXPECT_STREQ(Value(other, "s", "\xFF"), "\xFE");
    EXPECT_EQ(other.FindKey("a", "z"), nullptr);  // under a section whose name has a NUL
}

TEST_F(IniFileTest, WriteFlushAndReload)
{
    size_t live = MemoryManager_LiveBlocks();
    Put(root / "prog" / "game.ini", "[Options]\nVolume=3\n[Old]\nx=1\n");
    {
        IniFile ini("game.ini");  // only in the program folder so far
        EXPECT_STREQ(Value(ini, "options", "volume"), "3");
        EXPECT_TRUE(ini.WriteString("Options", "VOLUME", "7"));
        EXPECT_TRUE(ini.WriteString("Player", "Name", "line1\r\nline2"));  // loses CR and LF
        EXPECT_FALSE(ini.WriteString("Player", "a=b", "1"));   // could not be read back
        EXPECT_FALSE(ini.WriteString("Pla]yer", "a", "1"));
        EXPECT_FALSE(ini.WriteString("Player", " ", "1"));
        EXPECT_TRUE(ini.DeleteSection("OLD"));
        EXPECT_FALSE(ini.DeleteSection("Old"));
        EXPECT_TRUE(ini.WriteString("Player", "Temp", "x"));
        EXPECT_TRUE(ini.DeleteKey("player", "temp"));
        EXPECT_FALSE(ini.DeleteKey("player", "temp"));
        EXPECT_EQ(SaveFile("game.ini"), "");
        // The flush command writes without becoming a key.
        EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "INI_FILE_FLUSH", "NOW"));
        EXPECT_EQ(ini.FindSection("SYSTEM_COMMAND"), nullptr);
        EXPECT_EQ(SaveFile("game.ini"), "[Options]\r\nVolume=7\r\n[Player]\r\nName=line1line2\r\n");
        EXPECT_FALSE(ini.changed);
        ini.WriteString("Options", "Music", "on");
    }  // the destructor flushes
    EXPECT_EQ(SaveFile("game.ini"), "[Options]\r\nVolume=7\r\nMusic=on\r\n[Player]\r\nName=line1line2\r\n");
    {
        IniFile ini("game.ini");  // the save folder now comes first
        EXPECT_STREQ(Value(ini, "options", "music"), "on");
        EXPECT_EQ(ini.FindSection("old"), nullptr);
    }
    EXPECT_EQ(MemoryManager_LiveBlocks(), live);
    // Unchanged files are not written; a missing file starts empty.
    {
        IniFile ini("missing.ini");
        EXPECT_EQ(ini.sections, nullptr);
    }
    EXPECT_FALSE(fs::exists(root / "xdg" / "IniGame" / "missing.ini"));
    // A name the folder mapping refuses cannot be flushed.
    IniFile escape("../escape.ini");
    escape.WriteString("a", "b", "c");
    EXPECT_FALSE(escape.Flush());
    EXPECT_TRUE(escape.changed);
    escape.DeleteSection("a");
    EXPECT_FALSE(fs::exists(root / "xdg" / "escape.ini"));
}
