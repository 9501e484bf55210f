// The INI built-ins over the current INI file, and the run's registry.
#include "FileFolders.h"

#include <cmath>
#include <vector>

namespace {

using IniBuiltins = FileFolders;

void ExpectErrors(const std::vector<std::string>& errors, const std::vector<std::string>& expected)
{
    ASSERT_EQ(errors.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) EXPECT_NE(errors[i].find(expected[i]), std::string::npos) << i;
}

}  // namespace

TEST_F(IniBuiltins, NothingOpenIsReported)
{
    EXPECT_EQ(Text("ini_read_string", {S("s"), S("k"), S("d")}), "");
    EXPECT_EQ(Real("ini_read_real", {S("s"), S("k"), 4.0}), 0);
    Call("ini_write_string", {S("s"), S("k"), S("v")});
    Call("ini_write_real", {S("s"), S("k"), 1.0});
    Call("ini_key_exists", {S("s"), S("k")});
    Call("ini_section_exists", {S("s")});
    Call("ini_key_delete", {S("s"), S("k")});
    Call("ini_section_delete", {S("s")});
    Call("ini_close");
    const std::string read = "Trying to read from undefined INI file", change = "Trying to change undefined INI file";
    ExpectErrors(Errors(), {read, read, read, read, read, read, change, change});
}

TEST_F(IniBuiltins, ValuesDefaultsAndTypes)
{
    Put(prog / "game.ini", "[Player]\r\nName = Ann\r\nLevel=3\r\nSpeed=1.5e1x\r\n");
    Call("ini_open", {S("game.ini")});
    EXPECT_EQ(Text("ini_read_string", {S("player"), S("NAME"), S("x")}), "Ann");
    EXPECT_EQ(Text("ini_read_string", {S("player"), S("missing"), S("x")}), "x");
    EXPECT_EQ(Real("ini_read_real", {S("Player"), S("Level"), 0.0}), 3);
    EXPECT_EQ(Real("ini_read_real", {S("Player"), S("Speed"), 0.0}), 15);
    EXPECT_EQ(Real("ini_read_real", {S("Player"), S("Name"), 9.0}), 0);
    EXPECT_EQ(Real("ini_read_real", {S("Player"), S("missing"), S("2.5")}), 2.5);
    EXPECT_EQ(Real("ini_read_real", {S("Player"), S("missing"), 7.0}), 7);
    EXPECT_EQ(Real("ini_read_real", {S("Player"), S("missing"), S("")}), 0);
    EXPECT_EQ(Real("ini_read_real", {S("Player"), S("missing"), S("0x10")}), 0);  // decimal only
    EXPECT_EQ(Real("ini_key_exists", {S("PLAYER"), S("level")}), 1);
    EXPECT_EQ(Real("ini_key_exists", {S("Player"), S("Nope")}), 0);
    EXPECT_EQ(Real("ini_section_exists", {S("player")}), 1);
    EXPECT_EQ(Real("ini_section_exists", {S("Nope")}), 0);
    EXPECT_TRUE(Errors().empty());

    EXPECT_EQ(Text("ini_read_string", {S("Player"), S("Name"), 1.0}), "");
    EXPECT_EQ(Real("ini_read_real", {1.0, S("Level"), 0.0}), 0);
    Call("ini_write_string", {S("Player"), S("Name"), 5.0});
    Call("ini_write_real", {S("Player"), S("Level"), S("5")});
    ExpectErrors(Errors(), {"ini_read_string wrong type of arguments", "ini_read_real wrong type of arguments",
                            "Wrong argument types for ini_write_string", "Wrong argument types for ini_write_real"});
    EXPECT_EQ(Text("ini_read_string", {S("Player"), S("Name"), S("")}), "Ann");
    EXPECT_EQ(Text("ini_read_string", {S("Player"), S("Level"), S("")}), "3");
}

TEST_F(IniBuiltins, WritesReachTheSaveFolderWhole)
{
    Put(prog / "game.ini", "[Player]\nLevel=3\n[Old]\nx=1\n");
    Call("ini_open", {S("game.ini")});
    Call("ini_write_real", {S("Player"), S("Level"), 1.5});
    Call("ini_write_real", {S("Player"), S("Huge"), 1e300});
    Call("ini_write_real", {S("Player"), S("Tiny"), -1e-300});
    Call("ini_write_string", {S("Player"), S("Note"), S("one\r\n[Hack]\r\nk=v")});
    Call("ini_write_string", {S("Player"), S("a=b"), S("lost")});
    Call("ini_key_delete", {S("player"), S("tiny")});
    Call("ini_section_delete", {S("OLD")});
    EXPECT_EQ(Text("ini_read_string", {S("Player"), S("Level"), S("")}), "1.500000");
    EXPECT_FALSE(fs::exists(save / "game.ini")) << "written when flushed";
    Call("ini_write_string", {S("SYSTEM_COMMAND"), S("INI_FILE_FLUSH"), S("NOW")});
    std::string text = Get(save / "game.ini");
    EXPECT_EQ(text.substr(0, 32), "[Player]\r\nLevel=1.500000\r\nHuge=1");
    EXPECT_NE(text.find("\r\nNote=one[Hack]k=v\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Old"), std::string::npos);
    EXPECT_EQ(text.find("SYSTEM_COMMAND"), std::string::npos);
    EXPECT_EQ(text.find("lost"), std::string::npos);
    EXPECT_EQ(Get(prog / "game.ini"), "[Player]\nLevel=3\n[Old]\nx=1\n");
    EXPECT_TRUE(Errors().empty());

    // Opening another file flushes the first; reopening reads the save folder's copy.
    Call("ini_write_string", {S("Player"), S("Name"), S("Bo")});
    Call("ini_open", {S("other.ini")});
    EXPECT_NE(Get(save / "game.ini").find("Name=Bo"), std::string::npos);
    Call("ini_close");
    EXPECT_FALSE(fs::exists(save / "other.ini")) << "an unchanged file is not written";
    Call("ini_open", {S("GAME.INI")});
    EXPECT_EQ(Real("ini_read_real", {S("player"), S("huge"), 0.0}), 1e300);
    EXPECT_EQ(Real("ini_section_exists", {S("Hack")}), 0);
    Call("ini_close");
}

// Damaged and odd INI files open, read and write back without a memory error (ASan build).
TEST_F(IniBuiltins, MalformedFilesAreHarmless)
{
    std::vector<std::string> texts = {
        "", "[", "]", "=", "[]", "[]\n=\n", "[a", "[a]]\nk==v", "\xEF\xBB\xBF", "\xEF\xBB", "\r\r\r\n\n", "[s]\nk",
        std::string("[s]\0\nk=\0v", 10), "[s]\n" + std::string(100000, 'k') + "=" + std::string(100000, 'v'),
        std::string(50000, '['), std::string(50000, '\n'), "[s]\nk=1\n[S]\nK=2\nk=3", "\xFF\xFE[\x00s]",
    };
    for (const auto& entry : fs::directory_iterator(fs::path(TESTS_DIR) / "fuzz" / "corpus" / "ini"))
        texts.push_back(Get(entry.path()));
    for (size_t i = 0; i < texts.size(); i++) {
        Put(prog / "odd.ini", texts[i]);
        fs::remove(save / "odd.ini");
        Call("ini_open", {S("odd.ini")});
        for (const char* section : {"", "s", "S", "a", "section"})
            for (const char* key : {"", "k", "K", "key"}) {
                Text("ini_read_string", {S(section), S(key), S("d")});
                Real("ini_read_real", {S(section), S(key), 1.0});
                Real("ini_key_exists", {S(section), S(key)});
            }
        Call("ini_write_string", {S("s"), S("k"), S("written")});
        Call("ini_close");
        Call("ini_open", {S("odd.ini")});
        EXPECT_EQ(Text("ini_read_string", {S("S"), S("K"), S("")}), "written") << i;
        Call("ini_section_delete", {S("s")});
        Call("ini_close");
    }
    EXPECT_TRUE(Errors().empty());
}

TEST_F(IniBuiltins, RegistryLivesForTheRun)
{
    Call("registry_write_real", {S("score"), 3.0});
    EXPECT_EQ(Text("registry_read_string", {S("score")}), "3.000000");
    EXPECT_EQ(Real("registry_read_real", {S("score")}), 3);
    Call("registry_write_string", {S("name"), S("Ann")});
    Call("registry_write_string", {S("name"), S("Bo")});
    EXPECT_EQ(Text("registry_read_string", {S("name")}), "Bo");
    EXPECT_EQ(Real("registry_exists", {S("name")}), 1);
    EXPECT_EQ(Real("registry_exists", {S("Name")}), 0);  // names compare byte for byte
    Call("registry_write_string", {S("odd"), 5.0});
    EXPECT_EQ(Real("registry_exists", {S("odd")}), 1);
    EXPECT_EQ(Text("registry_read_string", {S("odd")}), "");
    Call("registry_write_real", {S("big"), -1e300});
    EXPECT_EQ(Real("registry_read_real", {S("big")}), -1e300);
    EXPECT_EQ(Text("registry_read_string", {S("missing")}), "");
    EXPECT_EQ(Real("registry_read_real", {S("missing")}), 0);
    // Other roots hold nothing.
    Call("registry_set_root", {1.0});
    Call("registry_write_string_ext", {S("key"), S("name"), S("v")});
    EXPECT_EQ(Text("registry_read_string_ext", {S("key"), S("name")}), "");
    EXPECT_EQ(Real("registry_exists_ext", {S("key"), S("name")}), 0);
    EXPECT_EQ(Text("registry_read_string", {S("name")}), "Bo");
    // Nothing is stored anywhere: after the run, nothing is left.
    Function_File_Free();
    EXPECT_EQ(Real("registry_exists", {S("name")}), 0);
    EXPECT_TRUE(fs::is_empty(save));
}
