// External functions called in the test library: every call shape with its arguments in order,
// string results, wrong counts and kinds, one load per library (a failed definition included),
// freeing, the folders a library name is looked up in, full paths outside them, and "-ext",
// under which libraries load but are never called.
#include "Support/Support_DLL.h"

#include "Base/Console.h"
#include "Support/LoadSave.h"
#include "LinkSwap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The test library, by its name in the program folder (set to its folder by the fixture).
const char* const kLibrary = "exttest.so";

class DLL : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSave_SetProgramFolder(fs::path(EXTTEST_LIBRARY).parent_path().c_str());
        ExternalCallsDisabled = false;
    }
    void TearDown() override
    {
        DLL_FreeAll();
        LoadSave_SetProgramFolder(".");
    }
};

int Loads()
{
    const char* n = getenv("EXTTEST_LOADS");
    return n ? atoi(n) : 0;
}

int Define(const char* name, std::vector<int> kinds, int result, const char* dll = kLibrary, int convention = 0)
{
    return DLL_Define(dll, name, convention, (int)kinds.size(), kinds.data(), result);
}

TaggedValue Call(int id, const std::vector<TaggedValue>& args)
{
    TaggedValue result("preset");
    DLL_Call(id, (int)args.size(), args.data(), &result);
    return result;
}

std::string Number(double v)
{
    char text[64];
    snprintf(text, sizeof text, "%g", v);
    return text;
}

// Argument i is worth 1.5 + 2i, given as a real or as text; the library sums (i + 1) x value.
void Expect(int id, const std::vector<int>& kinds, bool stringResult, const std::string& shape)
{
    std::vector<TaggedValue> args;
    double sum = kinds.empty() ? 0.5 : 0.0;
    for (size_t i = 0; i < kinds.size(); i++) {
        double v = 1.5 + 2.0 * (double)i;
        sum += (double)(i + 1) * v;
        args.push_back(kinds[i] ? TaggedValue(Number(v).c_str()) : TaggedValue(v));
    }
    TaggedValue r = Call(id, args);
    if (stringResult) {
        ASSERT_TRUE(r.IsString()) << shape;
        EXPECT_EQ(std::string(r.GetString()), Number(sum)) << shape;
    } else {
        ASSERT_TRUE(r.IsReal()) << shape;
        EXPECT_DOUBLE_EQ(r.GetReal(), sum) << shape;
    }
}

}  // namespace

TEST_F(DLL, EveryCallShapeGetsItsArgumentsInOrder)
{
    int shapes = 0;
    for (int n = 0; n <= 4; n++)
        for (int mask = 0; mask < (1 << n); mask++)
            for (int result = 0; result < 2; result++) {
                std::vector<int> kinds;
                std::string name = result ? "mix_s_" : "mix_r_";
                for (int i = 0; i < n; i++) {
                    kinds.push_back(mask >> i & 1);
                    name += kinds.back() ? 's' : 'r';
                }
                // Both conventions call the one convention of the platform.
                int id = Define(name.c_str(), kinds, result, kLibrary, shapes % 2);
                ASSERT_GE(id, 0) << name;
                Expect(id, kinds, result, name);
                shapes++;
            }
    for (int n = 5; n <= 16; n++)
        for (int result = 0; result < 2; result++) {
            std::string name = (result ? "reals_s" : "reals_r") + std::to_string(n);
            std::vector<int> kinds((size_t)n, 0);
            int id = Define(name.c_str(), kinds, result);
            ASSERT_GE(id, 0) << name;
            Expect(id, kinds, result, name);
            shapes++;
        }
    EXPECT_EQ(shapes, 62 + 24);
}

TEST_F(DLL, DefinitionsThatCannotBeMadeGiveMinusOne)
{
    TCaptureConsole warnings;
    tagIConsole* saved = Console_Warnings;
    Console_Warnings = &warnings;
    EXPECT_EQ(Define("reals_r16", std::vector<int>(17, 0), 0), -1);
    EXPECT_EQ(Define("reals_r5", {0, 0, 1, 0, 0}, 0), -1);
    EXPECT_EQ(Define("no_such_function", {}, 0), -1);
    EXPECT_EQ(Define("mix_r_", {}, 0, "no_such_library.so"), -1);
    EXPECT_NE(warnings.text.find("no_such_library.so"), std::string::npos);
    // An empty name would give the program itself; a path the folders refuse gives nothing.
    EXPECT_EQ(Define("strlen", {1}, 0, ""), -1);
    EXPECT_EQ(Define("mix_r_", {}, 0, "../exttest.so"), -1);
    EXPECT_EQ(Define("mix_r_", {}, 0, nullptr), -1);
    EXPECT_EQ(Define(nullptr, {}, 0), -1);
    Console_Warnings = saved;
    // A library of the system's path is found by its bare name.
    int cosine = Define("cos", {0}, 0, "libm.so.6");
    ASSERT_GE(cosine, 0);
    EXPECT_DOUBLE_EQ(Call(cosine, {TaggedValue(0.0)}).GetReal(), 1.0);
}

TEST_F(DLL, WrongCallsGiveTheRealZero)
{
    int id = Define("mix_s_rs", {0, 1}, 1);
    ASSERT_GE(id, 0);
    for (const std::vector<TaggedValue>& args :
         {std::vector<TaggedValue>{TaggedValue(1.0)}, {TaggedValue(1.0), TaggedValue("2"), TaggedValue(3.0)}}) {
        TaggedValue r = Call(id, args);
        EXPECT_TRUE(r.IsReal());
        EXPECT_EQ(r.GetReal(), 0.0);
    }
    EXPECT_TRUE(Call(-1, {}).IsReal());
    EXPECT_TRUE(Call(1000000, {}).IsReal());
    // A real where a string is wanted is lent as "" (worth 0), never as a null pointer.
    EXPECT_STREQ(Call(id, {TaggedValue(1.0), TaggedValue(7.0)}).GetString(), "1");
    // A count of -1 ("any number") is never called.
    int any = DLL_Define(kLibrary, "mix_r_", 0, -1, nullptr, 0);
    ASSERT_GE(any, 0);
    EXPECT_EQ(Call(any, {}).GetReal(), 0.0);
}

TEST_F(DLL, StringResultsAreCopied)
{
    int null = Define("null_text", {}, 1);
    int stat = Define("static_text", {}, 1);
    int scribble = Define("scribble", {}, 0);
    TaggedValue none = Call(null, {});
    EXPECT_TRUE(none.IsString());
    EXPECT_STREQ(none.GetString(), "");
    TaggedValue text = Call(stat, {});
    Call(scribble, {});
    EXPECT_STREQ(text.GetString(), "static");
}

TEST_F(DLL, LibraryLoadsOnceAndAgainAfterItIsFreed)
{
    DLL_FreeAll();
    int before = Loads();
    int a = Define("mix_r_r", {0}, 0);
    int b = Define("mix_r_rr", {0, 0}, 0);
    ASSERT_GE(a, 0);
    ASSERT_NE(a, b);
    EXPECT_EQ(Loads(), before + 1);
    DLL_Free(kLibrary);
    EXPECT_EQ(Call(a, {TaggedValue(2.0)}).GetReal(), 0.0);
    EXPECT_EQ(Call(b, {TaggedValue(2.0), TaggedValue(1.0)}).GetReal(), 0.0);
    int c = Define("mix_r_r", {0}, 0);
    EXPECT_GT(c, b);
    EXPECT_EQ(Loads(), before + 2);
    EXPECT_EQ(Call(c, {TaggedValue(2.0)}).GetReal(), 2.0);
    EXPECT_EQ(Call(a, {TaggedValue(2.0)}).GetReal(), 0.0);
    DLL_FreeAll();
    EXPECT_EQ(Call(c, {TaggedValue(2.0)}).GetReal(), 0.0);
    // The library's full path names it as well.
    int d = Define("mix_r_r", {0}, 0);
    DLL_Free(EXTTEST_LIBRARY);
    EXPECT_EQ(Call(d, {TaggedValue(2.0)}).GetReal(), 0.0);
}

// A definition whose function is missing leaves its library loaded: the next definition shares
// it, so the library's start-up code runs once.
TEST_F(DLL, AFailedDefinitionKeepsItsLibraryLoaded)
{
    DLL_FreeAll();
    int before = Loads();
    EXPECT_EQ(Define("no_such_function", {}, 0), -1);
    EXPECT_EQ(Loads(), before + 1);
    int id = Define("mix_r_r", {0}, 0);
    ASSERT_GE(id, 0);
    EXPECT_EQ(Loads(), before + 1);
    EXPECT_EQ(Call(id, {TaggedValue(2.0)}).GetReal(), 2.0);
    // Freed by name, it loads anew.
    EXPECT_EQ(Define("no_such_function", {}, 0), -1);
    DLL_Free(kLibrary);
    EXPECT_GE(Define("mix_r_r", {0}, 0), 0);
    EXPECT_EQ(Loads(), before + 2);
}

// Under "-ext" a definition loads its library (its start-up code runs) and fails as it would
// without the switch; no call reaches the library.
TEST_F(DLL, ExtLoadsLibrariesButCallsNothing)
{
    DLL_FreeAll();
    int before = Loads();
    ExternalCallsDisabled = true;
    int id = Define("mix_r_r", {0}, 0);
    EXPECT_GE(id, 0);
    EXPECT_EQ(Loads(), before + 1);
    EXPECT_EQ(Call(id, {TaggedValue(2.0)}).GetReal(), 0.0);
    EXPECT_EQ(Define("no_such_function", {}, 0), -1);
    EXPECT_EQ(Define("mix_r_", {}, 0, "no_such_library.so"), -1);
    ExternalCallsDisabled = false;
    EXPECT_EQ(Call(id, {TaggedValue(2.0)}).GetReal(), 2.0);
    EXPECT_EQ(Loads(), before + 1);
}

// A full path outside the game's folders names the library as given; one into them is checked
// by the folders as any other name of theirs.
TEST_F(DLL, FullPathsOutsideTheGameFoldersLoadAsGiven)
{
    fs::path root = fs::temp_directory_path() / ("dll_full_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "program");
    fs::create_directories(root / "elsewhere");
    fs::copy_file(EXTTEST_LIBRARY, root / "elsewhere" / "ext.so");
    fs::create_symlink(root / "elsewhere" / "ext.so", root / "program" / "link.so");
    LoadSave_SetProgramFolder((root / "program").c_str());
    int before = Loads();
    std::string full = (root / "elsewhere" / "ext.so").string();
    int id = Define("mix_r_r", {0}, 0, full.c_str());
    ASSERT_GE(id, 0);
    EXPECT_EQ(Call(id, {TaggedValue(4.0)}).GetReal(), 4.0);
    std::string backslashes = full;
    std::replace(backslashes.begin(), backslashes.end(), '/', '\\');
    EXPECT_GE(Define("mix_r_", {}, 0, backslashes.c_str()), 0);
    EXPECT_EQ(Loads(), before + 1);
    // A library of the system's, by its full path.
    Dl_info where{};
    ASSERT_TRUE(dladdr((void*)&cos, &where) && where.dli_fname && where.dli_fname[0] == '/');
    int cosine = Define("cos", {0}, 0, where.dli_fname);
    ASSERT_GE(cosine, 0);
    EXPECT_DOUBLE_EQ(Call(cosine, {TaggedValue(0.0)}).GetReal(), 1.0);
    // A link of the program folder that leads out is refused, however it is named.
    EXPECT_EQ(Define("mix_r_", {}, 0, (root / "program" / "link.so").c_str()), -1);
    EXPECT_EQ(Define("mix_r_", {}, 0, (root / "elsewhere" / ".." / "program" / "link.so").c_str()), -1);
    EXPECT_EQ(Define("mix_r_", {}, 0, "link.so"), -1);
    EXPECT_EQ(Loads(), before + 1);
    DLL_FreeAll();
    fs::remove_all(root);
}

TEST_F(DLL, DecoratedNamesCountArgumentBytes)
{
    int kinds[] = {0, 0, 1};
    EXPECT_EQ(DLL_DecoratedName("f", 3, kinds), "_f@20");
    EXPECT_EQ(DLL_DecoratedName("add", 2, kinds), "_add@16");
    EXPECT_EQ(DLL_DecoratedName("g", 0, kinds), "_g@0");
}

// The save folder first, then the program folder (case-insensitively); ".dll" also tries ".so".
TEST_F(DLL, LibrariesAreFoundInTheGameFolders)
{
    fs::path root = fs::temp_directory_path() / ("dll_test_" + std::to_string(getpid()));
    fs::create_directories(root / "program");
    setenv("XDG_DATA_HOME", root.c_str(), 1);
    LoadSave_SetGameName("dllgame");
    LoadSave_SetProgramFolder((root / "program").c_str());
    fs::copy_file(EXTTEST_LIBRARY, root / "program" / "MyLib.SO");
    int before = Loads();
    int fromProgram = Define("mix_r_r", {0}, 0, "mylib.dll");
    ASSERT_GE(fromProgram, 0);
    EXPECT_EQ(Loads(), before + 1);
    fs::create_directories(root / "dllgame");
    fs::copy_file(EXTTEST_LIBRARY, root / "dllgame" / "mylib.so");
    int fromSave = Define("mix_r_r", {0}, 0, "mylib.dll");
    ASSERT_GE(fromSave, 0);
    EXPECT_EQ(Loads(), before + 2);
    // Freeing by the name frees the library it resolves to now (the save folder's).
    DLL_Free("mylib.dll");
    EXPECT_EQ(Call(fromSave, {TaggedValue(3.0)}).GetReal(), 0.0);
    EXPECT_EQ(Call(fromProgram, {TaggedValue(3.0)}).GetReal(), 3.0);
    LoadSave_SetGameName("");
    fs::remove_all(root);
}

// The library loaded is the file the folders checked: a folder swapped for a link after the check
// is not followed (the checked file loads), and a file swapped for a link is refused.
TEST_F(DLL, ALinkSwappedInWhileALibraryLoadsIsNotFollowed)
{
    fs::path root = fs::temp_directory_path() / ("dll_swap_" + std::to_string(getpid()));
    fs::path ext = root / "program" / "ext", outside = root / "outside";
    fs::remove_all(root);
    fs::create_directories(ext);
    fs::create_directories(outside);
    LoadSave_SetProgramFolder((root / "program").c_str());
    fs::copy_file(EXTTEST_LIBRARY, ext / "mylib.so");
    fs::copy_file(EXTTEST_LIBRARY, outside / "other.so");
    FILE* junk = fopen((outside / "mylib.so").c_str(), "wb");
    ASSERT_TRUE(junk);
    fputs("not a library", junk);
    fclose(junk);
    // The second check of the file is the load's own (the first finds the folder it is in).
    LinkSwap::Arm(ext / "mylib.so", ext, outside, 1);
    int checked = Define("mix_r_r", {0}, 0, "ext/mylib.so");
    EXPECT_TRUE(LinkSwap::Met());
    ASSERT_GE(checked, 0);
    EXPECT_EQ(Call(checked, {TaggedValue(3.0)}).GetReal(), 3.0);
    DLL_FreeAll();
    fs::remove(ext);
    fs::rename(root / "program" / "ext.old", ext);

    int before = Loads();
    LinkSwap::Arm(ext / "mylib.so", outside / "other.so", 1);
    EXPECT_EQ(Define("mix_r_r", {0}, 0, "ext/mylib.so"), -1);
    EXPECT_TRUE(LinkSwap::Met());
    EXPECT_EQ(Loads(), before);
    LinkSwap::Disarm();
    fs::remove_all(root);
}
