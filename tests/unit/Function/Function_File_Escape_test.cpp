// Hostile names through every file built-in that reads or writes: nothing outside the save
// folder and the program folder is read, listed, created, changed or deleted.
#include "FileFolders.h"
#include "../Support/LinkSwap.h"

#include <functional>
#include <vector>

namespace {

class FileEscape : public FileFolders {
protected:
    void SetUp() override
    {
        FileFolders::SetUp();
        for (const fs::path& folder : {prog, save}) {
            fs::create_directory_symlink(root / "outside", folder / "link_out");
            fs::create_symlink(root / "outside" / "secret.txt", folder / "file_link");
            fs::create_symlink(root / "outside" / "new.txt", folder / "dangling");
            fs::create_symlink(root, folder / "up");
        }
        escape = fs::temp_directory_path() / ("files_escape_" + std::to_string(getpid()));
        fs::remove_all(escape);
        fs::create_directories(escape);
    }
    void TearDown() override
    {
        fs::remove_all(escape);
        FileFolders::TearDown();
    }

    std::vector<std::string> HostileNames() const
    {
        const std::string r = root.string();
        const std::string e = escape.string();
        return {
            "../secret.txt", "../../secret.txt", "../../../secret.txt", "..\\..\\secret.txt", "..\\..\\..\\secret.txt",
            "sub/../../secret.txt", "a\\..\\..\\..\\secret.txt", "./../secret.txt", "..", "../..", ".", "", "./",
            "..\\", "../beside.txt", "../../outside/secret.txt", "..\\..\\outside\\sub\\deep.txt",
            "/etc/hostname", "/etc/passwd", "/dev/zero", "/proc/self/environ", "/", "\\", "//", "\\\\",
            r + "/secret.txt", r + "/outside/secret.txt", r + "/outside", r + "/xdg/beside.txt",
            r + "/xdg/Game/../beside.txt", r + "/prog/../secret.txt", r + "/prog/../outside/sub/deep.txt",
            r + "\\outside\\secret.txt", e + "/made.txt", e, "\\secret.txt", "C:\\secret.txt", "c:secret.txt",
            "C:/Windows/win.ini", "C:", "\\\\srv\\share\\secret.txt", "//srv/share/secret.txt",
            "link_out/secret.txt", "LINK_OUT\\sub\\deep.txt", "link_out", "file_link", "FILE_LINK", "dangling",
            "up/secret.txt", "up/outside/secret.txt", "Up\\xdg\\beside.txt",
            std::string(2000, 'a'), std::string(300, 'b') + "/x", "a/" + std::string(5000, 'c'),
            "../secret.txt ", "..\x01/secret.txt", "~/secret.txt", "$HOME/secret.txt", "%APPDATA%\\secret.txt",
            "file:///etc/passwd",
        };
    }
    // Reads everything a reading built-in gives for the name.
    std::string ReadAll(const std::string& name)
    {
        std::string seen;
        double f = Real("file_text_open_read", {S(name.c_str())});
        if (f >= 0) {
            for (int i = 0; i < 100 && Real("file_text_eof", {f}) == 0; i++) seen += Text("file_text_readln", {f});
            Call("file_text_close", {f});
        }
        f = Real("file_bin_open", {S(name.c_str()), 0.0});
        if (f >= 0) {
            for (int i = 0; i < 100 && Real("file_bin_position", {f}) < Real("file_bin_size", {f}); i++)
                seen += (char)Real("file_bin_read_byte", {f});
            Call("file_bin_close", {f});
        }
        Call("file_open_read", {S(name.c_str())});
        for (int i = 0; i < 100; i++) {
            TaggedValue line = Call("file_readln");
            if (!line.IsString() || !*line.GetString()) break;
            seen += line.GetString();
        }
        Call("file_close");
        Call("ini_open", {S(name.c_str())});
        seen += Text("ini_read_string", {S("SENTINEL"), S("SENTINEL"), S("")});
        Call("ini_close");
        if (Real("file_copy", {S(name.c_str()), S("copied.txt")}) == 0) seen += Get(save / "copied.txt");
        for (const std::string& mask : {name, name + "/*", name + "\\*.*"}) {
            for (std::string n = Text("file_find_first", {S(mask.c_str()), 0x37}); !n.empty(); n = Text("file_find_next"))
                seen += "[" + n + "]";
            Call("file_find_close");
        }
        return seen;
    }
    void WriteAll(const std::string& name)
    {
        const char* n = name.c_str();
        for (const char* open : {"file_text_open_write", "file_text_open_append"}) {
            double f = Real(open, {S(n)});
            Call("file_text_write_string", {f, S("ESCAPED")});
            Call("file_text_close", {f});
        }
        for (double mode : {1.0, 2.0, 0.0}) {
            double f = Real("file_bin_open", {S(n), mode});
            Call("file_bin_rewrite", {f});
            Call("file_bin_write_byte", {f, 69.0});
            Call("file_bin_close", {f});
        }
        for (const char* open : {"file_open_write", "file_open_append"}) {
            Call(open, {S(n)});
            Call("file_write_string", {S("ESCAPED")});
            Call("file_close");
        }
        Call("ini_open", {S(n)});
        Call("ini_write_string", {S("a"), S("b"), S("ESCAPED")});
        Call("ini_close");
        Put(save / "victim.txt", "victim");
        Call("file_copy", {S("victim.txt"), S(n)});
        Call("file_rename", {S("victim.txt"), S(n)});
        Call("file_rename", {S(n), S("renamed.txt")});
        Call("file_delete", {S(n)});
        Call("directory_create", {S(n)});
        Call("directory_create", {S((name + "/made").c_str())});
    }

    fs::path escape;  // a folder of its own outside root, for absolute names
};

}  // namespace

TEST_F(FileEscape, HostileNamesReachNothingOutside)
{
    auto before = Sentinels();
    std::vector<std::string> names = HostileNames();
    ASSERT_GE(names.size(), 40u);
    for (const std::string& name : names) {
        EXPECT_EQ(Real("file_exists", {S(name.c_str())}), 0) << name;
        EXPECT_EQ(Real("file_attributes", {S(name.c_str()), 0.0}), 0) << name;
        EXPECT_EQ(Real("directory_exists", {S(name.c_str())}), 0) << name;
        std::string seen = ReadAll(name);
        EXPECT_EQ(seen.find("SENTINEL"), std::string::npos) << name;
        for (const char* listed : {"[secret.txt]", "[deep.txt]", "[beside.txt]", "[outside]", "[sub]"})
            EXPECT_EQ(seen.find(listed), std::string::npos) << name << " lists " << listed;
        WriteAll(name);
        Function_File_Free();
    }
    EXPECT_EQ(Sentinels(), before);
    EXPECT_TRUE(fs::is_empty(escape));
    EXPECT_FALSE(Error_FatalPending);
}

// The exact names a file dialog returned are admitted in their own form, and nothing near them.
TEST_F(FileEscape, DialogNamesAdmitExactlyTheirPath)
{
    const fs::path picked = root / "outside" / "picked.txt";
    const fs::path chosen = root / "outside" / "chosen.txt";
    Put(picked, "PICKED");
    OpenDialogFiles.Add(MemStrDup(picked.c_str()));
    SaveDialogFiles.Add(MemStrDup(chosen.c_str()));

    double f = Real("file_text_open_read", {S(picked.c_str())});
    EXPECT_EQ(Text("file_text_read_string", {f}), "PICKED");
    EXPECT_EQ(Real("file_exists", {S(picked.c_str())}), 1);
    EXPECT_EQ(Real("file_copy", {S(picked.c_str()), S("mine.txt")}), 0);
    EXPECT_EQ(Get(save / "mine.txt"), "PICKED");
    // Read, never written: every writing built-in leaves it as it is.
    WriteAll(picked.string());
    Function_File_Free();
    EXPECT_EQ(Get(picked), "PICKED");
    for (const std::string& near : {picked.string() + "/.", picked.string() + "x", (root / "outside" / "PICKED.TXT").string(),
                                    (root / "outside" / "sub" / ".." / "picked.txt").string()})
        EXPECT_EQ(Real("file_text_open_read", {S(near.c_str())}), -1) << near;

    // The save dialog's name can be written, and then read.
    f = Real("file_text_open_write", {S(chosen.c_str())});
    Call("file_text_write_string", {f, S("CHOSEN")});
    Call("file_text_close", {f});
    EXPECT_EQ(Get(chosen), "CHOSEN");
    f = Real("file_text_open_read", {S(chosen.c_str())});
    EXPECT_EQ(Text("file_text_read_string", {f}), "CHOSEN");
    EXPECT_EQ(Real("file_text_open_write", {S((chosen.string() + "2").c_str())}), -1);
    EXPECT_FALSE(fs::exists(chosen.string() + "2"));
}

// What is worked on is what was checked: a folder or file swapped for a link while a built-in
// writes, deletes, renames, makes a folder or lists is refused or replaced, never followed, and
// nothing outside the two folders is created, changed or deleted.
TEST_F(FileEscape, ALinkSwappedInDuringAnOperationIsNotFollowed)
{
    const fs::path slots = save / "slots", outside = root / "outside", secret = outside / "secret.txt";
    struct Road {
        const char* what;
        std::function<void()> run;  // arms the swap where the road should meet it
    };
    auto text = [](const char* open, const char* name) {
        double f = Real(open, {S(name)});
        Call("file_text_write_string", {f, S("ESCAPED")});
        return f;
    };
    const Road roads[] = {
        {"text write, at the open", [&] { LinkSwap::Arm(slots, outside); text("file_text_open_write", "slots/new.txt"); }},
        {"text write, at the close", [&] {
             double f = text("file_text_open_write", "slots/new.txt");
             LinkSwap::Arm(slots, outside);
             Call("file_text_close", {f});
         }},
        {"text append, at the close", [&] {
             double f = text("file_text_open_append", "slots/secret.txt");
             LinkSwap::Arm(slots, outside);
             Call("file_text_close", {f});
         }},
        {"a written file's own name", [&] {
             double f = text("file_text_open_write", "slots/secret.txt");
             LinkSwap::Arm(slots / "secret.txt", secret);
             Call("file_text_close", {f});
         }},
        {"the unnumbered file", [&] {
             Call("file_open_write", {S("slots/new.txt")});
             Call("file_write_string", {S("ESCAPED")});
             LinkSwap::Arm(slots, outside);
             Call("file_close");
         }},
        {"binary, mode 1", [&] {
             double f = Real("file_bin_open", {S("slots/new.txt"), 1.0});
             Call("file_bin_write_byte", {f, 69.0});
             LinkSwap::Arm(slots, outside);
             Call("file_bin_close", {f});
         }},
        {"binary, mode 2", [&] {
             double f = Real("file_bin_open", {S("slots/secret.txt"), 2.0});
             Call("file_bin_write_byte", {f, 69.0});
             LinkSwap::Arm(slots, outside);
             Call("file_bin_close", {f});
         }},
        {"binary rewrite", [&] {
             double f = Real("file_bin_open", {S("slots/secret.txt"), 0.0});
             LinkSwap::Arm(slots, outside);
             Call("file_bin_rewrite", {f});
             Call("file_bin_write_byte", {f, 69.0});
         }},
        {"a program-folder file written where it is", [&] {
             Put(prog / "shipped" / "secret.txt", "shipped");
             double f = Real("file_bin_open", {S("shipped/secret.txt"), 2.0});
             Call("file_bin_write_byte", {f, 69.0});
             LinkSwap::Arm(prog / "shipped", outside);
             Call("file_bin_close", {f});
             EXPECT_EQ(Get(prog / "shipped.old" / "secret.txt"), "shipped");
         }},
        {"copy", [&] {
             LinkSwap::Arm(slots, outside);
             EXPECT_EQ(Real("file_copy", {S("victim.txt"), S("slots/new.txt")}), -1);
         }},
        {"copy over a name", [&] {
             LinkSwap::Arm(slots / "secret.txt", secret);
             EXPECT_EQ(Real("file_copy", {S("victim.txt"), S("slots/secret.txt")}), -1);
         }},
        {"delete", [&] {
             LinkSwap::Arm(slots, outside, 1);  // past the test that the file is there
             Call("file_delete", {S("slots/secret.txt")});
         }},
        {"delete, the name itself", [&] {
             LinkSwap::Arm(slots / "secret.txt", secret, 1);
             Call("file_delete", {S("slots/secret.txt")});
         }},
        {"rename, its source", [&] {
             LinkSwap::Arm(slots, outside, 1);
             Call("file_rename", {S("slots/secret.txt"), S("moved.txt")});
             EXPECT_FALSE(fs::exists(save / "moved.txt"));
         }},
        {"rename, its destination", [&] {
             LinkSwap::Arm(slots, outside);
             Call("file_rename", {S("victim.txt"), S("slots/new.txt")});
         }},
        {"a new folder", [&] {
             LinkSwap::Arm(slots, outside);
             Call("directory_create", {S("slots/new/deeper")});
         }},
        {"an INI file", [&] {
             Call("ini_open", {S("slots/new.txt")});
             Call("ini_write_string", {S("a"), S("b"), S("ESCAPED")});
             LinkSwap::Arm(slots, outside);
             Call("ini_close");
         }},
        {"a search", [&] {
             LinkSwap::Arm(slots, outside);
             EXPECT_EQ(Text("file_find_first", {S("slots/*"), 0x37}), "");
         }},
        {"a folder test", [&] {
             LinkSwap::Arm(slots, outside);
             EXPECT_EQ(Real("directory_exists", {S("slots/sub")}), 0);
         }},
    };
    auto before = Sentinels();
    for (const Road& road : roads) {
        fs::remove_all(save);
        Put(slots / "secret.txt", "mine");
        Put(save / "victim.txt", "victim");
        road.run();
        Function_File_Free();
        EXPECT_TRUE(LinkSwap::Met()) << road.what << ": the walk never met the swap";
        EXPECT_EQ(Sentinels(), before) << road.what;
        LinkSwap::Disarm();
        fs::remove_all(prog / "shipped");
        fs::remove_all(prog / "shipped.old");
    }
    EXPECT_FALSE(Error_FatalPending);
}
