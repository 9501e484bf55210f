// The file built-ins called by name against a fresh program folder and save folder.
#include "FileFolders.h"
#include "Base/Console.h"

#include <climits>
#include <cmath>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

using Files = FileFolders;

}  // namespace

TEST_F(Files, RegistersEveryNameInOrder)
{
    const std::pair<const char*, int> names[] = {
        {"file_bin_open", 2}, {"file_bin_rewrite", 1}, {"file_bin_close", 1}, {"file_bin_position", 1},
        {"file_bin_size", 1}, {"file_bin_seek", 2}, {"file_bin_read_byte", 1}, {"file_bin_write_byte", 2},
        {"file_text_open_read", 1}, {"file_text_open_write", 1}, {"file_text_open_append", 1},
        {"file_text_close", 1}, {"file_text_read_string", 1}, {"file_text_read_real", 1}, {"file_text_readln", 1},
        {"file_text_eof", 1}, {"file_text_eoln", 1}, {"file_text_write_string", 2}, {"file_text_write_real", 2},
        {"file_text_writeln", 1}, {"file_open_read", 1}, {"file_open_write", 1}, {"file_open_append", 1},
        {"file_close", 0}, {"file_read_string", 0}, {"file_read_real", 0}, {"file_readln", 0}, {"file_eof", 0},
        {"file_write_string", 1}, {"file_write_real", 1}, {"file_writeln", 0}, {"file_exists", 1},
        {"file_delete", 1}, {"file_rename", 2}, {"file_copy", 2}, {"directory_exists", 1},
        {"directory_create", 1}, {"file_find_first", 2}, {"file_find_next", 0}, {"file_find_close", 0},
        {"file_attributes", 2}, {"filename_name", 1}, {"filename_path", 1}, {"filename_dir", 1},
        {"filename_drive", 1}, {"filename_ext", 1}, {"filename_change_ext", 2}, {"execute_program", 3},
        {"execute_shell", 2}, {"parameter_count", 0}, {"parameter_string", 1}, {"environment_get_variable", 1},
        {"registry_write_string", 2}, {"registry_write_real", 2}, {"registry_read_string", 1},
        {"registry_read_real", 1}, {"registry_exists", 1}, {"registry_write_string_ext", 3},
        {"registry_write_real_ext", 3}, {"registry_read_string_ext", 2}, {"registry_read_real_ext", 2},
        {"registry_exists_ext", 2}, {"registry_set_root", 1}, {"ini_open", 1}, {"ini_close", 0},
        {"ini_read_string", 3}, {"ini_read_real", 3}, {"ini_write_string", 3}, {"ini_write_real", 3},
        {"ini_key_exists", 2}, {"ini_section_exists", 1}, {"ini_key_delete", 2}, {"ini_section_delete", 1},
    };
    ASSERT_EQ(Function_Count(), (int)std::size(names));
    for (int i = 0; i < Function_Count(); i++) {
        EXPECT_STREQ(Function_Get(i)->name, names[i].first) << i;
        EXPECT_EQ(Function_Get(i)->argc, names[i].second) << names[i].first;
    }
}

TEST_F(Files, BinarySlotsRunFromOneToThirtyOne)
{
    std::vector<double> slots;
    for (int i = 0; i < 31; i++) slots.push_back(Real("file_bin_open", {S(("f" + std::to_string(i)).c_str()), 1.0}));
    for (int i = 0; i < 31; i++) EXPECT_EQ(slots[i], i + 1);
    EXPECT_EQ(Real("file_bin_open", {S("one_more"), 1.0}), -1);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Cannot open another file (maximum exceeded)."), std::string::npos);
    EXPECT_FALSE(fs::exists(save / "one_more"));
    // A closed slot is the next one given.
    Call("file_bin_close", {7.0});
    EXPECT_EQ(Real("file_bin_open", {S("again"), 1.0}), 7);
}

TEST_F(Files, BinaryReadingWritingAndSeeking)
{
    double f = Real("file_bin_open", {S("data.bin"), 1.0});
    ASSERT_EQ(f, 1);
    for (double b : {1.0, 300.0, -1.0, 255.6, (double)NAN}) Call("file_bin_write_byte", {f, b});
    EXPECT_EQ(Real("file_bin_size", {f}), 5);
    EXPECT_EQ(Real("file_bin_read_byte", {f}), 0);  // a write-only file reads nothing
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Error reading byte."), std::string::npos);
    Call("file_bin_close", {f});
    EXPECT_EQ(Get(save / "data.bin"), std::string("\x01\x2C\xFF\x00\x00", 5));  // 300 writes 44; 255.6 rounds to 256

    // Mode 2 keeps an existing file and reads and writes it in turn.
    f = Real("file_bin_open", {S("DATA.BIN"), 2.0});
    EXPECT_EQ(Real("file_bin_read_byte", {f}), 1);
    Call("file_bin_write_byte", {f, 9.0});
    EXPECT_EQ(Real("file_bin_read_byte", {f}), 255);
    EXPECT_EQ(Real("file_bin_position", {f}), 3);
    Call("file_bin_seek", {f, 8.0});  // past the end: a write there fills the gap with zeros
    EXPECT_EQ(Real("file_bin_size", {f}), 5);
    EXPECT_EQ(Real("file_bin_read_byte", {f}), 0);
    Call("file_bin_write_byte", {f, 7.0});
    Call("file_bin_seek", {f, -4.0});
    EXPECT_EQ(Real("file_bin_position", {f}), 0);
    EXPECT_EQ(Get(save / "data.bin").size(), 5u) << "the file changes only when it is closed";
    Call("file_bin_close", {f});
    EXPECT_EQ(Get(save / "data.bin"), std::string("\x01\x09\xFF\x00\x00\x00\x00\x00\x07", 9));

    // Mode 2 creates a missing file at once; mode 0 reads and stops at the end.
    f = Real("file_bin_open", {S("new/made.bin"), 2.0});
    EXPECT_TRUE(fs::exists(save / "new" / "made.bin"));
    Call("file_bin_close", {f});
    f = Real("file_bin_open", {S("data.bin"), 0.0});
    Call("file_bin_write_byte", {f, 5.0});  // ignored
    Call("file_bin_seek", {f, 1e12});
    EXPECT_EQ(Real("file_bin_position", {f}), 9);
    Call("file_bin_seek", {f, 8.0});
    EXPECT_EQ(Real("file_bin_read_byte", {f}), 7);
    Errors().clear();
    EXPECT_EQ(Real("file_bin_read_byte", {f}), 0);
    EXPECT_EQ(Errors().size(), 1u);
    Call("file_bin_close", {f});
    EXPECT_EQ(Get(save / "data.bin").size(), 9u);
    EXPECT_EQ(Real("file_bin_open", {S("missing.bin"), 0.0}), -1);

    // A file only in the program folder is written where it is, whatever the mode.
    Put(prog / "shipped.bin", "abc");
    f = Real("file_bin_open", {S("shipped.bin"), 2.0});
    Call("file_bin_seek", {f, 3.0});
    Call("file_bin_write_byte", {f, 100.0});
    Call("file_bin_close", {f});
    EXPECT_EQ(Get(prog / "shipped.bin"), "abcd");
    EXPECT_FALSE(fs::exists(save / "shipped.bin"));
}

TEST_F(Files, BinaryRewriteAndMisuse)
{
    Put(prog / "level.bin", "abc");
    double f = Real("file_bin_open", {S("level.bin"), 0.0});
    Call("file_bin_rewrite", {f});  // a read-only file goes on in the save folder, empty
    Call("file_bin_write_byte", {f, 65.0});
    EXPECT_EQ(Real("file_bin_size", {f}), 1);
    Call("file_bin_close", {f});
    EXPECT_EQ(Get(save / "level.bin"), "A");
    EXPECT_EQ(Get(prog / "level.bin"), "abc");
    f = Real("file_bin_open", {S("level.bin"), 2.0});
    Call("file_bin_rewrite", {f});
    Call("file_bin_close", {f});
    EXPECT_EQ(Get(save / "level.bin"), "");
    EXPECT_TRUE(Errors().empty());

    Call("file_bin_rewrite", {f});
    Call("file_bin_close", {0.0});
    Call("file_bin_seek", {32.0, 0.0});
    Call("file_bin_read_byte", {-1.0});
    const std::vector<std::string> expected = {"Trying to rewrite unopened file.", "Trying to close unopened file.",
                                               "File is not opened.", "File is not opened."};
    ASSERT_EQ(Errors().size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) EXPECT_NE(Errors()[i].find(expected[i]), std::string::npos);
    // A file that may not be written is not opened for writing.
    Put(save / "locked.bin", "keep");
    fs::permissions(save / "locked.bin", fs::perms::owner_read);
    if (access((save / "locked.bin").c_str(), W_OK) != 0) {
        EXPECT_EQ(Real("file_bin_open", {S("locked.bin"), 1.0}), -1);
        EXPECT_EQ(Get(save / "locked.bin"), "keep");
    }
}

TEST_F(Files, TextRoundTripsByteForByte)
{
    double f = Real("file_text_open_write", {S("Notes\\log.txt")});
    ASSERT_EQ(f, 1);
    Call("file_text_write_string", {f, S("abc")});
    Call("file_text_write_real", {f, 1.5});
    Call("file_text_writeln", {f});
    Call("file_text_write_string", {f, S("x\r\ny\nz\r")});
    Call("file_text_write_string", {f, S("\n")});
    Call("file_text_write_real", {f, 1e300});
    Call("file_text_write_real", {f, -0.000012345678});
    Call("file_text_write_string", {f, 5.0});  // a real is no text: nothing
    Call("file_text_close", {f});
    const std::string bytes = "abc1.5 \r\nx\r\ny\r\nz\r\n1e+300 -1.23457e-05 ";
    EXPECT_EQ(Get(save / "Notes" / "log.txt"), bytes);

    f = Real("file_text_open_read", {S("notes/LOG.TXT")});
    EXPECT_EQ(Text("file_text_read_string", {f}), "abc1.5 ");
    EXPECT_EQ(Real("file_text_eoln", {f}), 1);
    EXPECT_EQ(Text("file_text_read_string", {f}), "") << "the line end stays for readln";
    EXPECT_EQ(Text("file_text_readln", {f}), "\r\n");
    EXPECT_EQ(Text("file_text_readln", {f}), "x\r\n");
    EXPECT_EQ(Text("file_text_readln", {f}), "y\r\n");
    EXPECT_EQ(Text("file_text_readln", {f}), "z\r\n");
    EXPECT_EQ(Real("file_text_read_real", {f}), 1e300);
    EXPECT_DOUBLE_EQ(Real("file_text_read_real", {f}), -1.23457e-05);
    EXPECT_EQ(Real("file_text_eof", {f}), 0);
    EXPECT_EQ(Text("file_text_readln", {f}), " ");
    EXPECT_EQ(Real("file_text_eof", {f}), 1);
    EXPECT_EQ(Text("file_text_readln", {f}), "");
    Call("file_text_close", {f});

    // Copying line by line keeps every byte, and appending keeps what was there.
    f = Real("file_text_open_read", {S("Notes/log.txt")});
    double g = Real("file_text_open_write", {S("copy.txt")});
    while (Real("file_text_eof", {f}) == 0) Call("file_text_write_string", {g, Call("file_text_readln", {f})});
    Call("file_text_close", {g});
    EXPECT_EQ(Get(save / "copy.txt"), bytes);
    g = Real("file_text_open_append", {S("copy.txt")});
    Call("file_text_write_string", {g, S("more")});
    Call("file_text_close", {g});
    EXPECT_EQ(Get(save / "copy.txt"), bytes + "more");

    // A shipped file with a byte-order mark and CR LF lines; a long line comes back whole.
    Put(prog / "levels.txt", "\xEF\xBB\xBF" "abc\r\n" + std::string(40000, 'q') + "\n42");
    f = Real("file_text_open_read", {S("levels.txt")});
    EXPECT_EQ(Text("file_text_read_string", {f}), "abc");
    EXPECT_EQ(Text("file_text_readln", {f}), "\r\n");
    EXPECT_EQ(Text("file_text_readln", {f}).size(), 40001u);
    EXPECT_EQ(Real("file_text_read_real", {f}), 42);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(Files, TextSlotsAndTheirErrors)
{
    EXPECT_EQ(Real("file_text_open_read", {S("missing.txt")}), -1);
    EXPECT_EQ(Real("file_text_open_read", {3.0}), -1);  // not a name
    double w = Real("file_text_open_write", {S("a.txt")});
    Call("file_text_read_string", {w});
    Call("file_text_write_string", {1.0 + w, S("x")});
    Call("file_text_close", {32.0});
    Call("file_text_close", {w + 1});  // a free slot: nothing to say
    const std::vector<std::string> expected = {"File is not opened for reading.", "File not opened for writing.",
                                               "Trying to close unexisting text file."};
    ASSERT_EQ(Errors().size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) EXPECT_NE(Errors()[i].find(expected[i]), std::string::npos);
    for (int i = 1; i < 31; i++) Call("file_text_open_write", {S("b.txt")});
    Errors().clear();
    EXPECT_EQ(Real("file_text_open_append", {S("c.txt")}), -1);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("maximum exceeded"), std::string::npos);
}

TEST_F(Files, TheUnnumberedFile)
{
    Call("file_open_write", {S("plain.txt")});
    Call("file_write_string", {S("a\nb")});
    Call("file_write_real", {2.5});
    Call("file_writeln");
    Call("file_write_real", {1e300});
    Call("file_close");
    std::string bytes = Get(save / "plain.txt");
    EXPECT_EQ(bytes.substr(0, 16), "a\r\nb    2.5000\r\n");
    EXPECT_EQ(bytes.size(), 16u + 301 + 5);
    Call("file_open_append", {S("plain.txt")});
    Call("file_write_string", {S("\nend")});
    Call("file_close");

    // Reading joins CR LF, so each line end is one step.
    Call("file_open_read", {S("PLAIN.txt")});
    EXPECT_EQ(Text("file_read_string"), "a");
    EXPECT_EQ(Text("file_read_string"), "b    2.5000");
    EXPECT_EQ(Real("file_read_real"), 1e300);
    EXPECT_EQ(Text("file_readln"), "\n");
    EXPECT_EQ(Text("file_readln"), "end");
    EXPECT_EQ(Real("file_eof"), 1);
    EXPECT_TRUE(Errors().empty());

    // A failed open leaves nothing open: reads and writes report instead of touching anything.
    Call("file_open_read", {S("missing.txt")});
    Call("file_read_string");
    Call("file_eof");
    Call("file_open_write", {S("../escape.txt")});
    Call("file_write_string", {S("x")});
    const std::vector<std::string> expected = {"File not opened for reading.", "File is not opened for reading.",
                                               "File not opened for writing."};
    ASSERT_EQ(Errors().size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) EXPECT_NE(Errors()[i].find(expected[i]), std::string::npos);
    EXPECT_FALSE(fs::exists(root / "xdg" / "escape.txt"));
}

TEST_F(Files, SaveCopyWinsAndTheProgramFolderIsNeverChanged)
{
    Put(prog / "both.txt", "program");
    Put(save / "both.txt", "save");
    Put(prog / "only.txt", "shipped");
    double f = Real("file_text_open_read", {S("both.txt")});
    EXPECT_EQ(Text("file_text_read_string", {f}), "save");
    f = Real("file_bin_open", {S("BOTH.txt"), 0.0});
    EXPECT_EQ(Real("file_bin_read_byte", {f}), 's');
    Call("file_open_read", {S("both.txt")});
    EXPECT_EQ(Text("file_read_string"), "save");
    f = Real("file_text_open_read", {S("only.txt")});
    EXPECT_EQ(Text("file_text_read_string", {f}), "shipped");

    Call("file_delete", {S("only.txt")});
    EXPECT_EQ(Real("file_exists", {S("only.txt")}), 1);
    EXPECT_EQ(Get(prog / "only.txt"), "shipped");
    Call("file_delete", {S("both.txt")});
    EXPECT_FALSE(fs::exists(save / "both.txt"));
    EXPECT_EQ(Real("file_exists", {S("both.txt")}), 1);  // the program folder's copy
    // Writing a shipped name writes the save folder's copy.
    f = Real("file_text_open_write", {S("only.txt")});
    Call("file_text_write_string", {f, S("mine")});
    Call("file_text_close", {f});
    EXPECT_EQ(Get(save / "only.txt"), "mine");
    EXPECT_EQ(Get(prog / "only.txt"), "shipped");
}

TEST_F(Files, ManagementKeepsEveryFileSafe)
{
    Put(save / "Sub" / "File.TXT", "one");
    Put(save / "two.txt", "two");
    fs::create_directories(prog / "Levels");
    // Windows-style names.
    EXPECT_EQ(Real("file_exists", {S("sub\\file.txt")}), 1);
    EXPECT_EQ(Real("directory_exists", {S("SUB")}), 1);
    EXPECT_EQ(Real("directory_exists", {S("levels\\")}), 1);
    // A folder is not a file, and "" is neither.
    EXPECT_EQ(Real("file_exists", {S("sub")}), 0);
    EXPECT_EQ(Real("file_exists", {S("")}), 0);
    EXPECT_EQ(Real("directory_exists", {S("")}), 0);
    EXPECT_EQ(Real("directory_exists", {S(".")}), 0);
    EXPECT_EQ(Real("directory_exists", {S("sub/file.txt")}), 0);
    Call("file_delete", {S("Sub")});
    Call("file_delete", {S("")});
    Call("file_rename", {S("Sub"), S("moved")});
    Call("file_rename", {S("two.txt"), S("")});
    Call("file_rename", {S("two.txt"), S(".")});
    EXPECT_TRUE(fs::exists(save / "Sub" / "File.TXT"));
    EXPECT_EQ(Get(save / "two.txt"), "two");

    // A rename never replaces a file.
    Call("file_rename", {S("two.txt"), S("SUB/file.txt")});
    EXPECT_EQ(Get(save / "two.txt"), "two");
    EXPECT_EQ(Get(save / "Sub" / "File.TXT"), "one");
    Call("file_rename", {S("two.txt"), S("sub/three.txt")});
    EXPECT_FALSE(fs::exists(save / "two.txt"));
    EXPECT_EQ(Get(save / "Sub" / "three.txt"), "two");

    // A copy onto itself, by any spelling, leaves it intact.
    for (const char* same : {"sub/file.txt", "SUB\\FILE.TXT", "./Sub/../Sub/File.TXT"})
        EXPECT_EQ(Real("file_copy", {S("Sub/File.TXT"), S(same)}), 0) << same;
    EXPECT_EQ(Get(save / "Sub" / "File.TXT"), "one");
    Put(prog / "shipped.dat", std::string("\0\x01\x02", 3));
    EXPECT_EQ(Real("file_copy", {S("shipped.dat"), S("copies/shipped.dat")}), 0);
    EXPECT_EQ(Get(save / "copies" / "shipped.dat"), std::string("\0\x01\x02", 3));
    EXPECT_EQ(Real("file_copy", {S("Sub/File.TXT"), S("sub/three.txt")}), 0);  // replaces, whole
    EXPECT_EQ(Get(save / "Sub" / "three.txt"), "one");
    EXPECT_EQ(Real("file_copy", {S("missing"), S("x")}), -1);
    EXPECT_EQ(Real("file_copy", {S("Sub/File.TXT"), S("sub")}), -1);  // a folder is in the way
    EXPECT_EQ(Real("file_copy", {S("Sub/File.TXT"), S("")}), -1);
    EXPECT_TRUE(fs::is_directory(save / "Sub"));

    Call("directory_create", {S("a\\b/c")});
    EXPECT_TRUE(fs::is_directory(save / "a" / "b" / "c"));
    Call("directory_create", {S("a/../..")});
    EXPECT_FALSE(fs::exists(root / "xdg" / "a"));

    // The attributes a game can ask about.
    EXPECT_EQ(Real("file_attributes", {S("sub/file.txt"), 0x20}), 1);
    EXPECT_EQ(Real("file_attributes", {S("sub/file.txt"), 0x10}), 0);
    EXPECT_EQ(Real("file_attributes", {S("levels"), 0x10}), 1);
    EXPECT_EQ(Real("file_attributes", {S("missing"), 0.0}), 0);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(Files, SearchBothFoldersOnce)
{
    Put(save / "b.TXT", "");
    Put(save / "a.txt", "");
    Put(save / ".hidden.txt", "");
    Put(save / "c.dat", "");
    Put(prog / "a.txt", "");
    Put(prog / "d.txt", "");
    Put(prog / "noext", "");
    fs::create_directories(save / "folder.txt");
    Put(save / "Levels" / "one.lvl", "");
    Put(save / "Levels" / "two.lvl", "");
    fs::create_directory_symlink(root / "outside", save / "out.txt");

    auto all = [this](const char* mask, double attributes) {
        std::vector<std::string> names;
        for (std::string n = Text("file_find_first", {S(mask), attributes}); !n.empty(); n = Text("file_find_next"))
            names.push_back(n);
        Call("file_find_close");
        return names;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(all("*.txt", 0), (V{".hidden.txt", "a.txt", "b.TXT", "d.txt"}));
    EXPECT_EQ(all("*.txt", 0x10), (V{".hidden.txt", "a.txt", "b.TXT", "folder.txt", "d.txt"}));
    EXPECT_EQ(all("*.txt", 2), (V{".hidden.txt"}));
    EXPECT_EQ(all("?.*", 0), (V{"a.txt", "b.TXT", "c.dat", "d.txt"}));
    EXPECT_EQ(all("*.*", 0), (V{".hidden.txt", "a.txt", "b.TXT", "c.dat", "d.txt", "noext"}));
    EXPECT_EQ(all("LEVELS\\*.lvl", 0), (V{"one.lvl", "two.lvl"}));
    EXPECT_EQ(all("../*", 0x37), V{});
    EXPECT_EQ(all("out.txt/*", 0x37), V{});
    EXPECT_EQ(all("levels/", 0x37), V{});
    EXPECT_EQ(Text("file_find_next"), "");  // no search is active
    EXPECT_EQ(Text("file_find_first", {S("*.lvl"), 0.0}), "");
}

TEST_F(Files, FileNames)
{
    struct Row { const char* in; const char* name; const char* path; const char* dir; const char* drive; const char* ext; };
    const Row rows[] = {
        {"C:\\games\\save.tar.gz", "save.tar.gz", "C:\\games", "C:\\games", "C:", ".gz"},
        {"C:\\file", "file", "C:", "C:", "C:", ""},
        {"dir\\\\two.txt", "two.txt", "dir\\", "dir", "", ".txt"},
        {"/home/u/.profile", ".profile", "/home/u", "/home/u", "", ".profile"},
        {"a/b\\c.d", "c.d", "a/b", "a/b", "", ".d"},
        {"/top", "top", "", "", "", ""},
        {"plain", "plain", "", "", "", ""},
        {"", "", "", "", "", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Text("filename_name", {S(r.in)}), r.name) << r.in;
        EXPECT_EQ(Text("filename_path", {S(r.in)}), r.path) << r.in;
        EXPECT_EQ(Text("filename_dir", {S(r.in)}), r.dir) << r.in;
        EXPECT_EQ(Text("filename_drive", {S(r.in)}), r.drive) << r.in;
        EXPECT_EQ(Text("filename_ext", {S(r.in)}), r.ext) << r.in;
    }
    EXPECT_EQ(Text("filename_change_ext", {S("a.b.c"), S(".txt")}), "a.b.txt");
    EXPECT_EQ(Text("filename_change_ext", {S("abc"), S("txt")}), "abc.txt");
    EXPECT_EQ(Text("filename_change_ext", {S("dir.d\\file"), S(".sav")}), "dir.d\\file.sav");
    EXPECT_EQ(Text("filename_change_ext", {S("x.png"), S("")}), "x");
    EXPECT_EQ(Text("filename_change_ext", {S("x.png"), 3.0}), "");
    EXPECT_EQ(Text("filename_name", {7.0}), "");
}

TEST_F(Files, ProgramsGetTheirArgumentsWithoutAShell)
{
    // A shipped helper that writes its arguments, one a line, into its current folder.
    Put(prog / "Helper.sh", "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > \"$0.args\"\n");
    fs::permissions(prog / "Helper.sh", fs::perms::owner_all);
    const std::string args = R"(one "two words" three\"quoted\" C:\dir\ "end\\" $HOME;ls "a""b")";
    EXPECT_EQ(Real("execute_program", {S("helper.sh"), S(args.c_str()), 1.0}), 0);
    EXPECT_EQ(Get(prog / "Helper.sh.args"), "one|two words|three\"quoted\"|C:\\dir\\|end\\|$HOME;ls|a\"b|");
    fs::remove(prog / "Helper.sh.args");
    EXPECT_EQ(Real("execute_program", {S("helper.sh"), S("later"), 0.0}), 0);
    // The file appears before the helper has written into it.
    for (int i = 0; i < 300 && Get(prog / "Helper.sh.args").empty(); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Get(prog / "Helper.sh.args"), "later|");

    TCaptureConsole console;
    tagIConsole* saved = Console_Warnings;
    Console_Warnings = &console;
    EXPECT_EQ(Real("execute_program", {S("no-such-program-anywhere"), S(""), 1.0}), -1);
    EXPECT_EQ(Real("execute_program", {7.0, 7.0, 7.0}), -1);
    Console_Warnings = saved;
    EXPECT_NE(console.text.find("Cannot execute no-such-program-anywhere\n"), std::string::npos);

    // execute_shell hands files and addresses to the desktop's opener.
    Put(root / "bin" / "xdg-open", "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + (root / "opened").string() + "\"\n");
    fs::permissions(root / "bin" / "xdg-open", fs::perms::owner_all);
    std::string path = getenv("PATH");
    setenv("PATH", ((root / "bin").string() + ":" + path).c_str(), 1);
    Put(prog / "Manual.html", "");
    EXPECT_EQ(Real("execute_shell", {S("manual.html"), S("")}), 0);
    for (int i = 0; i < 300 && Get(root / "opened").empty(); i++) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Get(root / "opened"), (prog / "Manual.html").string() + "|");
    setenv("PATH", path.c_str(), 1);
}

TEST_F(Files, CommandLineAndEnvironment)
{
    std::string line = Get("/proc/self/cmdline");
    std::vector<std::string> args;
    for (size_t start = 0; start < line.size();) {
        size_t end = line.find('\0', start);
        args.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(Real("parameter_count"), (double)args.size());
    EXPECT_EQ(Text("parameter_string", {1.0}), args[0]);
    EXPECT_EQ(Text("parameter_string", {(double)args.size()}), args.back());
    EXPECT_EQ(Text("parameter_string", {0.0}), "");
    EXPECT_EQ(Text("parameter_string", {args.size() + 1.0}), "");
    EXPECT_EQ(Text("parameter_string", {(double)NAN}), "");
    setenv("FILES_TEST_VALUE", "a=b c", 1);
    EXPECT_EQ(Text("environment_get_variable", {S("FILES_TEST_VALUE")}), "a=b c");
    unsetenv("FILES_TEST_VALUE");
    EXPECT_EQ(Text("environment_get_variable", {S("FILES_TEST_VALUE")}), "");
    EXPECT_EQ(Text("environment_get_variable", {1.0}), "");
}

TEST_F(Files, ShutDownWritesWhatWasLeftOpen)
{
    double b = Real("file_bin_open", {S("open.bin"), 1.0});
    Call("file_bin_write_byte", {b, 66.0});
    double t = Real("file_text_open_write", {S("open.txt")});
    Call("file_text_write_string", {t, S("text")});
    Call("file_open_append", {S("plain.txt")});
    Call("file_write_string", {S("plain")});
    Call("ini_open", {S("open.ini")});
    Call("ini_write_string", {S("s"), S("k"), S("v")});
    Call("file_find_first", {S("*"), 0.0});
    EXPECT_EQ(Get(save / "open.bin"), "");
    Function_File_Free();
    EXPECT_EQ(Get(save / "open.bin"), "B");
    EXPECT_EQ(Get(save / "open.txt"), "text");
    EXPECT_EQ(Get(save / "plain.txt"), "plain");
    EXPECT_EQ(Get(save / "open.ini"), "[s]\r\nk=v\r\n");
    EXPECT_EQ(Real("file_bin_size", {b}), 0);  // closed
    EXPECT_EQ(Text("file_find_next"), "");
}

TEST_F(Files, HostileArgumentsAreHarmless)
{
    Put(root / "bin" / "xdg-open", "#!/bin/sh\nexit 0\n");
    fs::permissions(root / "bin" / "xdg-open", fs::perms::owner_all);
    std::string path = getenv("PATH");
    setenv("PATH", (root / "bin").c_str(), 1);
    auto before = Sentinels();
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(31.0), TaggedValue(1e-300), S(""), S("#\\#\n"),
                                    S("../x"), S("*")};
    for (const TaggedValue& p : patterns) {
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            Call(f->name, std::vector<TaggedValue>((size_t)f->argc, p));
        }
        Function_File_Free();
    }
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(Sentinels(), before);
    EXPECT_FALSE(Error_FatalPending);
}
