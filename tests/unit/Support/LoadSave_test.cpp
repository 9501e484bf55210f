#include "LinkSwap.h"
#include "Base/MemoryManager.h"
#include "Support/File.h"
#include "Support/LoadSave.h"
#include "Support/LoadSave_Place.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A program folder and a save folder in a fresh temporary folder:
//   prog/Data.TXT, prog/sub/Inner.txt, prog/both.txt and the link inlink (to sub);
//   xdg/Game/both.txt and the link evil (to the program folder); in both, the links out,
//   passwd and dangle lead out.
class LoadSaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::canonical(fs::temp_directory_path()) / ("loadsave_" + std::to_string(getpid()));
        fs::remove_all(root);
        prog = (root / "prog").string() + "/";
        save = (root / "xdg" / "Game").string() + "/";
        WriteText(prog + "Data.TXT", "data");
        WriteText(prog + "sub/Inner.txt", "inner");
        WriteText(prog + "both.txt", "\xEF\xBB\xBFprogram");
        WriteText(save + "both.txt", "save");
        WriteText(root / "outside" / "secret", "secret");
        for (const std::string& folder : {prog, save}) {
            fs::create_directory_symlink(root / "outside", folder + "out");
            fs::create_symlink(root / "outside" / "secret", folder + "passwd");
            fs::create_symlink(root / "outside" / "new", folder + "dangle");
        }
        fs::create_directory_symlink(prog + "sub", prog + "inlink");
        fs::create_directory_symlink(prog, save + "evil");
        setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
        LoadSave_SetGameName("Game");
        LoadSave_SetProgramFolder(prog.c_str());
    }
    void TearDown() override
    {
        OpenDialogFiles.Clear();
        SaveDialogFiles.Clear();
        fs::remove_all(root);
    }
    std::string Bundle(const std::string& name, int size = 1024)
    {
        std::string out(size, '?');
        bool ok = LoadSave_BundlePath(out.data(), size, name.c_str());
        EXPECT_EQ(ok, out[0] != 0) << name;
        return out.c_str();
    }
    std::string Save(const std::string& name)
    {
        char out[1024];
        bool ok = LoadSave_SavePath(out, sizeof(out), name.c_str());
        EXPECT_EQ(ok, out[0] != 0) << name;
        return out;
    }
    fs::path root;
    std::string prog, save;
};

}  // namespace

TEST_F(LoadSaveTest, FoldersFollowTheGameNameAndDataHome)
{
    EXPECT_EQ(std::string(LoadSave_GetSaveFolder()), save);
    EXPECT_EQ(std::string(LoadSave_GetProgramFolder()), prog);
    // A game name cannot climb out of the data folder.
    LoadSave_SetGameName("../..\\x");
    EXPECT_EQ(std::string(LoadSave_GetSaveFolder()), (root / "xdg").string() + "/.._.._x/");
    LoadSave_SetGameName("..");
    EXPECT_EQ(std::string(LoadSave_GetSaveFolder()), (root / "xdg").string() + "/_../");
    const char* home = getenv("HOME");
    std::string savedHome = home ? home : "";
    setenv("XDG_DATA_HOME", "relative/dir", 1);  // not absolute: ignored
    setenv("HOME", root.c_str(), 1);
    LoadSave_SetGameName("G");
    EXPECT_EQ(std::string(LoadSave_GetSaveFolder()), root.string() + "/.local/share/G/");
    if (home) setenv("HOME", savedHome.c_str(), 1); else unsetenv("HOME");
}

TEST_F(LoadSaveTest, NamesInsideTheFoldersMap)
{
    struct Row { const char* name; const char* result; };
    const Row rows[] = {
        {"Data.TXT", "Data.TXT"},
        {"data.txt", "Data.TXT"},  // looked up ignoring case
        {"SUB\\inner.TXT", "sub/Inner.txt"},
        {"sub/../Data.TXT", "Data.TXT"},
        {"./sub/./x/..//Inner.txt", "sub/Inner.txt"},
        {"inlink/Inner.txt", "inlink/Inner.txt"},  // a link that stays inside
        {"new/File.txt", "new/File.txt"},  // missing names stay as written
    };
    for (const Row& r : rows) EXPECT_EQ(Bundle(r.name), prog + r.result) << r.name;
    EXPECT_EQ(Save("slot1.dat"), save + "slot1.dat");
    EXPECT_EQ(Save("BOTH.TXT"), save + "both.txt");
}

TEST_F(LoadSaveTest, HostileNamesAreRefused)
{
    const char* hostile[] = {
        "../x", "sub/../../x", "..\\..\\etc\\passwd", "..", "sub/../..",
        "/etc/passwd", "/", "C:\\Windows\\win.ini", "c:/x", "c:foo", "\\\\srv\\share\\x", "//srv/share/x",
        "out/secret", "OUT/secret", "passwd", "dangle", "out", "inlink/../out/secret",
    };
    for (const char* name : hostile) {
        EXPECT_EQ(Bundle(name), "") << name;
        EXPECT_EQ(Save(name), "") << name;
    }
    EXPECT_EQ(Save("evil/Data.TXT"), "");  // from the save folder into the program folder
    EXPECT_EQ(Save("evil"), "");
    // A full path that climbs out of a folder is judged where it ends.
    EXPECT_EQ(Bundle(prog + "../outside/secret"), "");
    EXPECT_EQ(Bundle(prog + "sub/../../prog/Data.TXT"), prog + "Data.TXT");
    EXPECT_FALSE(LoadSave_WriteFile("../escape.txt", "x", 1));
    EXPECT_FALSE(LoadSave_WriteFile("dangle", "x", 1));
    EXPECT_FALSE(fs::exists(root / "xdg" / "escape.txt"));
    EXPECT_FALSE(fs::exists(root / "outside" / "new"));
    EXPECT_EQ(LoadSave_FOpen("out/secret", "r"), nullptr);
    EXPECT_FALSE(LoadSave_BundlePath(nullptr, 10, "x"));
    char small[4] = "abc";
    EXPECT_FALSE(LoadSave_BundlePath(small, 4, nullptr));
    EXPECT_EQ(small[0], 0);
}

TEST_F(LoadSaveTest, LongNamesAreRefusedNotTruncated)
{
    std::string exact = prog + "Data.TXT";
    EXPECT_EQ(Bundle("Data.TXT", (int)exact.size() + 1), exact);
    EXPECT_EQ(Bundle("Data.TXT", (int)exact.size()), "");
    EXPECT_EQ(Bundle(std::string(2000, 'a')), "");
    EXPECT_FALSE(LoadSave_WriteFile(std::string(5000, 'b').c_str(), "x", 1));
}

TEST_F(LoadSaveTest, FullPathsAreReRooted)
{
    EXPECT_EQ(Bundle(prog + "SUB/inner.txt"), prog + "sub/Inner.txt");
    EXPECT_EQ(Bundle(save + "x.txt"), prog + "x.txt");
    EXPECT_EQ(Save(prog + "sub\\x.txt"), save + "sub/x.txt");
    // Under the current directory too.
    std::string cwd = fs::current_path();
    fs::create_directories(root / "work");
    fs::current_path(root / "work");
    EXPECT_EQ(Bundle((root / "work" / "data.txt").string()), prog + "Data.TXT");
    EXPECT_EQ(Bundle((root / "elsewhere").string()), "");
    fs::current_path(cwd);
}

// A name that means a folder itself names no file in it, whatever is asked of it.
TEST_F(LoadSaveTest, TheFoldersThemselvesAreNoFiles)
{
    const std::string holder = (root / "xdg").string(), slashed = (root / "outside").string() + "/";
    SaveDialogFiles.Add(MemStrDup(holder.c_str()));
    SaveDialogFiles.Add(MemStrDup(slashed.c_str()));
    OpenDialogFiles.Add(MemStrDup(prog.c_str()));
    const std::string folders[] = {"", ".", "./", "sub/..", "a\\..\\.", prog, prog.substr(0, prog.size() - 1), save,
                                   save.substr(0, save.size() - 1), holder, slashed};
    for (const std::string& name : folders) {
        const char* n = name.c_str();
        bool existed;
        LoadSaveInfo info;
        EXPECT_EQ(Bundle(name), "") << name;
        EXPECT_EQ(Save(name), "") << name;
        EXPECT_FALSE(LoadSave_WriteFile(n, "x", 1)) << name;
        EXPECT_FALSE(LoadSave_PrepareWrite(LOADSAVE_SAVE, n, &existed)) << name;
        EXPECT_FALSE(LoadSave_DeleteFile(n)) << name;
        EXPECT_FALSE(LoadSave_RenameFile(n, "moved")) << name;
        EXPECT_FALSE(LoadSave_RenameFile("both.txt", n)) << name;
        EXPECT_FALSE(LoadSave_Stat(LOADSAVE_BUNDLE, n, &info)) << name;
    }
    EXPECT_EQ(fs::directory_iterator(root / "outside")->path().filename(), "secret");
    EXPECT_TRUE(fs::exists(save + "both.txt"));
    EXPECT_FALSE(fs::exists(save + "moved"));
    // A listing alone names the folder itself.
    std::vector<std::string> names;
    EXPECT_TRUE(LoadSave_List(LOADSAVE_BUNDLE, "", names));
    EXPECT_EQ(names, (std::vector<std::string>{"both.txt", "dangle", "Data.TXT", "inlink", "out", "passwd", "sub"}));
    EXPECT_FALSE(LoadSave_List(LOADSAVE_BUNDLE, "out", names));
}

TEST_F(LoadSaveTest, DialogNamesPassUnchangedInTheirOwnForm)
{
    std::string picked = (root / "outside" / "secret").string();
    EXPECT_EQ(Bundle(picked), "");
    OpenDialogFiles.Add(MemStrDup(picked.c_str()));
    EXPECT_EQ(Bundle(picked), picked);
    EXPECT_EQ(Save(picked), "");  // the open dialog does not admit writing
    EXPECT_EQ(Bundle(picked + "x"), "");
    SaveDialogFiles.Add(MemStrDup("C:\\games\\out.txt"));
    EXPECT_EQ(Save("C:\\games\\out.txt"), "C:\\games\\out.txt");
    EXPECT_EQ(Bundle("C:\\games\\out.txt"), "");
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadBundleFile(picked.c_str(), &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(size, 6);
    MemFree(bytes);
}

TEST_F(LoadSaveTest, ReadWriteAndExists)
{
    size_t live = MemoryManager_LiveBlocks();
    EXPECT_TRUE(LoadSave_WriteFile("deep\\Er/f.bin", "ab\0c", 4));
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadSaveFile("DEEP/er/F.BIN", &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(size, 4);
    EXPECT_EQ(std::string((char*)bytes, 4), std::string("ab\0c", 4));
    MemFree(bytes);
    EXPECT_TRUE(LoadSave_WriteFile("empty", nullptr, 0));
    bytes = LoadSave_ReadSaveFile("empty", &size);
    ASSERT_NE(bytes, nullptr);  // an empty file is not a missing one
    EXPECT_EQ(size, 0);
    MemFree(bytes);
    EXPECT_EQ(LoadSave_ReadSaveFile("missing", &size), nullptr);
    EXPECT_EQ(LoadSave_ReadBundleFile("sub", &size), nullptr);  // a folder

    EXPECT_TRUE(LoadSave_SaveFileExists("Empty"));
    EXPECT_FALSE(LoadSave_SaveFileExists("deep"));
    EXPECT_TRUE(LoadSave_BundleFileExists("data.txt"));
    EXPECT_FALSE(LoadSave_BundleFileExists("empty"));
    EXPECT_FALSE(LoadSave_BundleFileExists("passwd"));
    EXPECT_EQ(MemoryManager_LiveBlocks(), live);
}

// What is opened is what was checked: a folder or file swapped for a link after its check (the
// hook stands in for another process) is refused, not followed.
TEST_F(LoadSaveTest, ALinkSwappedInAfterTheCheckIsNotFollowed)
{
    WriteText(root / "outside" / "Inner.txt", "secret");
    int64_t size = 0;
    struct Swap { std::string at; fs::path to; const char* name; };
    const Swap swaps[] = {
        {prog + "sub", root / "outside", "sub/Inner.txt"},
        {prog + "Data.TXT", root / "outside" / "secret", "Data.TXT"},
        {save + "both.txt", root / "outside" / "secret", "both.txt"},
    };
    for (const Swap& s : swaps) {
        LinkSwap::Arm(s.at, s.to);
        unsigned char* bytes = s.at.rfind(save, 0) == 0 ? LoadSave_ReadSaveFile(s.name, &size) : LoadSave_ReadBundleFile(s.name, &size);
        EXPECT_TRUE(LinkSwap::Met()) << s.name;
        EXPECT_EQ(bytes, nullptr) << s.name << ": " << (bytes ? (const char*)bytes : "");
        MemFree(bytes);
    }
    // A folder swapped while a file is written into it: the write stays out of the link's target.
    fs::create_directories(save + "slots");
    LinkSwap::Arm(save + "slots", root / "outside");
    EXPECT_FALSE(LoadSave_WriteFile("slots/one.dat", "x", 1));
    EXPECT_TRUE(LinkSwap::Met());
    EXPECT_FALSE(fs::exists(root / "outside" / "one.dat"));
    LinkSwap::Disarm();
}

// Writes replace the name: a hard link in the save folder never carries a write to its target.
TEST_F(LoadSaveTest, WritesReplaceHardLinksAndFollowTheUmask)
{
    WriteText(root / "outside" / "target", "keep");
    fs::create_hard_link(root / "outside" / "target", save + "linked.dat");
    EXPECT_TRUE(LoadSave_WriteFile("linked.dat", "new", 3));
    std::ifstream target(root / "outside" / "target");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(target), {}), "keep");
    std::ifstream linked(save + "linked.dat");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(linked), {}), "new");
    // Created 0666 less the umask: a player's umask of 077 keeps saves private.
    for (mode_t mask : {(mode_t)077, (mode_t)022}) {
        mode_t old = umask(mask);
        bool written = LoadSave_WriteFile("new/private.dat", "x", 1);
        umask(old);
        ASSERT_TRUE(written);
        EXPECT_EQ(fs::status(save + "new/private.dat").permissions() & fs::perms::all, (fs::perms)(0666 & ~mask)) << mask;
        EXPECT_EQ(fs::status(save + "new").permissions() & fs::perms::all, (fs::perms)(0777 & ~mask)) << mask;
        fs::remove_all(save + "new");
    }
    // A pipe is no file: it is neither read nor waited on.
    ASSERT_EQ(mkfifo((prog + "pipe").c_str(), 0644), 0);
    EXPECT_FALSE(LoadSave_BundleFileExists("pipe"));
    int64_t size = 0;
    EXPECT_EQ(LoadSave_ReadBundleFile("pipe", &size), nullptr);
}

TEST_F(LoadSaveTest, InMemoryFiles)
{
    size_t live = MemoryManager_LiveBlocks();
    // The program folder comes first; "t" drops the byte-order mark.
    LoadSaveFile* f = LoadSave_FOpen("both.txt", "rt");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::string((char*)f->bytes, (size_t)f->size), "program");
    LoadSave_FClose(f);
    f = LoadSave_FOpen("both.txt", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->size, 10);
    LoadSave_FClose(f);
    EXPECT_EQ(LoadSave_FOpen("both.txt", "w"), nullptr);
    EXPECT_EQ(LoadSave_FOpen("nowhere.txt", "r"), nullptr);
    ASSERT_TRUE(LoadSave_WriteFile("only_save.txt", "x", 1));
    f = LoadSave_FOpen("only_save.txt", "r");
    ASSERT_NE(f, nullptr);
    LoadSave_FClose(f);

    ASSERT_TRUE(LoadSave_WriteFile("n.txt", " 12.5\r\n-3e2 x,7", 15));
    f = LoadSave_FOpen("n.txt", "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(LoadSave_FReadReal(f), 12.5);
    EXPECT_TRUE(LoadSave_FEoln(f));
    EXPECT_EQ(LoadSave_FReadReal(f), -300.0);
    EXPECT_EQ(LoadSave_FReadReal(f), 0.0);  // "x" is no number: nothing is consumed
    EXPECT_EQ(LoadSave_FGetC(f), 'x');
    EXPECT_EQ(LoadSave_FTell(f), 13);
    EXPECT_EQ(LoadSave_FSeek(f, -1, 2), 0);
    EXPECT_EQ(LoadSave_FGetC(f), '7');
    EXPECT_EQ(LoadSave_FGetC(f), -1);
    EXPECT_TRUE(LoadSave_FEof(f));
    EXPECT_TRUE(LoadSave_FEoln(f));
    EXPECT_EQ(LoadSave_FSeek(f, 1, 2), -1);   // beyond the end
    EXPECT_EQ(LoadSave_FSeek(f, -16, 1), -1);  // before the start
    EXPECT_EQ(LoadSave_FSeek(f, 0, 3), -1);   // no such origin
    EXPECT_EQ(LoadSave_FTell(f), 15);
    EXPECT_EQ(LoadSave_FSeek(f, 10, 0), 0);
    char buffer[16] = {};
    EXPECT_EQ(LoadSave_FRead(f, buffer, 100), 5);
    EXPECT_STREQ(buffer, "2 x,7");
    EXPECT_EQ(LoadSave_FRead(f, buffer, 100), 0);
    LoadSave_FClose(f);
    EXPECT_EQ(MemoryManager_LiveBlocks(), live);
}

TEST(File, PathsAndFolders)
{
    struct Row { const char* path; const char* name; const char* folder; const char* ext; const char* drive; };
    const Row rows[] = {
        {"C:\\games\\a.b\\save.tar.gz", "save.tar.gz", "C:\\games\\a.b\\", ".gz", "C:"},
        {"/home/u/file", "file", "/home/u/", "", ""},
        {"dir.d/noext", "noext", "dir.d/", "", ""},
        {"\\\\srv\\share\\x.txt", "x.txt", "\\\\srv\\share\\", ".txt", "\\\\srv\\share"},
        {"plain.txt", "plain.txt", "", ".txt", ""},
        {"", "", "", "", ""},
    };
    for (const Row& r : rows) {
        char* parts[4] = {File_ExtractName(r.path), File_ExtractPath(r.path), File_ExtractExt(r.path),
                          File_ExtractDrive(r.path)};
        EXPECT_STREQ(parts[0], r.name) << r.path;
        EXPECT_STREQ(parts[1], r.folder) << r.path;
        EXPECT_STREQ(parts[2], r.ext) << r.path;
        EXPECT_STREQ(parts[3], r.drive) << r.path;
        for (char* p : parts) MemFree(p);
    }
    EXPECT_EQ(File_ExtractName(nullptr), nullptr);

    fs::path dir = fs::canonical(fs::temp_directory_path()) / ("file_test_" + std::to_string(getpid()));
    fs::remove_all(dir);
    std::string file = (dir / "a" / "b" / "c.txt").string();
    EXPECT_TRUE(Directory_CreateAll((dir / "a" / "b").c_str()));
    WriteText(file, "x");
    EXPECT_TRUE(File_Exists(file.c_str()));
    EXPECT_FALSE(Directory_Exists(file.c_str()));
    EXPECT_FALSE(File_Exists((dir / "a").c_str()));
    EXPECT_FALSE(File_Exists("/dev/null"));  // a device
    EXPECT_FALSE(Directory_CreateAll((file + "/below").c_str()));  // a file is in the way
    EXPECT_TRUE(Directory_CreateAll((dir / "x\\y").c_str()));
    EXPECT_TRUE(Directory_Exists((dir / "x" / "y").c_str()));
    fs::remove_all(dir);
}

// The temporary files of whole-file writes cut short: a game can neither name nor list them, and
// the next start removes those older than itself wherever they lie in the two folders, but never
// through a link, nor a write of another runner still under way.
TEST_F(LoadSaveTest, TemporaryFilesAreHiddenAndGoAtTheNextStart)
{
    const std::string temp = ".~save.ini.0123456789abcdef";
    EXPECT_TRUE(File_IsTemporaryName(temp.c_str()));
    EXPECT_TRUE(File_IsTemporaryName(".~x.0123456789ABCDEF"));
    for (const char* own : {"save.ini.0123456789abcdef", ".~.0123456789abcdef", ".~a.0123456789abcdeg", ".~a0123456789abcdef",
                            ".~notes.txt", "~a.0123456789abcdef", ""})
        EXPECT_FALSE(File_IsTemporaryName(own)) << own;

    auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    auto later = fs::file_time_type::clock::now() + std::chrono::hours(1);
    std::vector<fs::path> stale = {save + temp, save + "deep/.~a.bin.fedcba9876543210", prog + ".~Data.TXT.00000000000000ff"};
    for (const fs::path& p : stale) {
        WriteText(p, "cut short");
        fs::last_write_time(p, old);
    }
    // Written on by another runner: begun after this one started, or begun before and locked.
    fs::path underWay = save + ".~both.txt.1111111111111111", locked = save + ".~both.txt.2222222222222222";
    fs::path outside = root / "outside" / temp;
    for (const fs::path& p : {underWay, locked, outside}) WriteText(p, "keep");
    fs::last_write_time(underWay, later);
    fs::last_write_time(locked, old);
    fs::last_write_time(outside, old);
    int lock = open(locked.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    WriteText(save + ".~notes.txt", "the game's own");

    std::vector<std::string> names;
    ASSERT_TRUE(LoadSave_List(LOADSAVE_SAVE, "", names));
    for (const std::string& n : names) EXPECT_FALSE(File_IsTemporaryName(n.c_str())) << n;
    EXPECT_NE(std::find(names.begin(), names.end(), ".~notes.txt"), names.end());
    EXPECT_FALSE(LoadSave_SaveFileExists(temp.c_str()));
    EXPECT_EQ(Save(".~SAVE.INI.0123456789ABCDEF"), "");
    EXPECT_EQ(Save("deep/.~a.bin.fedcba9876543210/x"), "");
    EXPECT_FALSE(LoadSave_WriteFile(".~made.0000000000000000", "x", 1));
    EXPECT_FALSE(LoadSave_DeleteFile(temp.c_str()));

    LoadSave_RemoveTemporaries();
    for (const fs::path& p : stale) EXPECT_FALSE(fs::exists(p)) << p;
    for (const fs::path& p : {underWay, locked, outside, fs::path(save + ".~notes.txt"), fs::path(save + "both.txt")})
        EXPECT_TRUE(fs::exists(p)) << p;
    close(lock);  // that runner was killed
    LoadSave_RemoveTemporaries();
    EXPECT_FALSE(fs::exists(locked));
}
