// Extension packages from the EXTN chunk: reading (and refusing damaged chunks), lookups in
// package order, functions of the test library called from compiled code on both engines, and the
// initialisation and finalisation functions.
#include "Extension/Extension_Class.h"
#include "Extension/Extension_Main.h"
#include "ExtnBuilder.h"

#include "Base/Console.h"
#include "Base/Random.h"
#include "Code/Code_Class.h"
#include "Code/Error.h"
#include "Object/Instance_Class.h"
#include "Script/Script_Main.h"
#include "StartUp.h"
#include "Support/LoadSave.h"
#include "Support/Support_DLL.h"
#include "Variable/Variable_Main.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

std::vector<std::string> g_errors;
void CaptureError(const char* text, bool fatal) { g_errors.push_back(std::string(fatal ? "fatal: " : "") + text); }

extn::Function Fn(const char* name, const char* external, int id, std::vector<int> kinds, int result = 2)
{
    extn::Function f;
    f.name = name;
    f.external = external;
    f.id = id;
    f.argc = (int)kinds.size();
    f.kinds = kinds;
    f.result = result;
    return f;
}

class Extension : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StartUp_Constants();
        Variable_BuiltIn_Init();
    }
    void SetUp() override
    {
        g_errors.clear();
        Error_Display_Hook = CaptureError;
        Console_Warnings = &warnings;
        ExternalCallsDisabled = false;
    }
    void TearDown() override
    {
        Extension_Finalise();
        GameFile_Free();
        DLL_FreeAll();
        Error_Display_Hook = nullptr;
        Error_FatalPending = false;
        Console_Warnings = saved;
        LoadSave_SetProgramFolder(".");
        Code_UseVM = true;
    }
    // Loads the packages as a game beside the test library and prepares them.
    void LoadBesideLibrary(const std::vector<extn::Package>& packages)
    {
        ASSERT_TRUE(extn::Load(extn::Game(packages))) << warnings.text;
        LoadSave_SetProgramFolder(std::filesystem::path(EXTTEST_LIBRARY).parent_path().c_str());
        Extension_Prepare();
    }
    static TaggedValue Run(const char* text)
    {
        CCode code(text, false);
        EXPECT_TRUE(code.Compile("test")) << LastErrorText;
        CInstance self(700000, 0, 0, 0);
        TaggedValue result;
        Code_Execute_ShowError(&self, &self, &code, &result);
        return result;
    }
    TCaptureConsole warnings;
    tagIConsole* saved = Console_Warnings;
};

}  // namespace

TEST_F(Extension, PackagesAreReadAndSearchedInOrder)
{
    extn::Package first, quenby, second;
    first.files.push_back({});
    first.files[0].functions = {Fn("ext_a", "mix_r_", 3, {}), Fn("ext_dup", "mix_r_", 4, {}), Fn("ext_neg", "mix_r_", -2, {})};
    quenby.folder = "QuenbyGames";
    quenby.files.push_back({});
    quenby.files[0].functions = {Fn("ext_q", "mix_r_", 9, {})};
    second.files.push_back({});
    second.files[0].functions = {Fn("ext_dup", "mix_r_", 6, {}), Fn("", "mix_r_", 4, {})};
    extn::Package empty;
    empty.present = false;
    Random_Seed(5);
    ASSERT_TRUE(extn::Load(extn::Game({first, empty, quenby, second})));
    // Each package drew one number from the game's generator.
    uint32_t after = Random_Next();
    Random_Seed(5);
    for (int i = 0; i < 3; i++) Random_Next();
    EXPECT_EQ(after, Random_Next());

    ASSERT_EQ(Extension_PackageCount(), 4);
    EXPECT_EQ(Extension_GetPackage(1), nullptr);
    EXPECT_EQ(Extension_FindFunctionId("ext_dup"), 4);
    EXPECT_EQ(Extension_FindFunctionId("ext_neg"), -1);
    EXPECT_EQ(Extension_FindFunctionId("EXT_A"), -1);
    EXPECT_EQ(Extension_FindFunctionId("ext_q"), 9);
    EXPECT_STREQ(Extension_GetFunctionName(4), "ext_dup");
    EXPECT_EQ(Extension_GetFunctionName(5), nullptr);
    Extension_Prepare();
    EXPECT_EQ(Extension_GetPackage(2), nullptr);
    EXPECT_EQ(Extension_FindFunctionId("ext_q"), -1);
    // A gap in the ids, an id past the tables and a negative id.
    TaggedValue r("x");
    EXPECT_TRUE(Extension_CallDLL(5, 0, nullptr, &r));
    EXPECT_TRUE(r.IsReal());
    EXPECT_FALSE(Extension_CallDLL(7, 0, nullptr, &r));
    EXPECT_FALSE(Extension_CallDLL(-2, 0, nullptr, &r));
}

TEST_F(Extension, LibraryFunctionsAreCalledFromCode)
{
    extn::Package p;
    p.files.push_back({});
    p.files[0].functions = {
        Fn("ext_sum", "mix_r_rs", 1, {2, 1}),          // a real and a string
        Fn("ext_text", "mix_s_sr", 2, {1, 2}, 1),      // a string result
        Fn("ext_any", "mix_r_", 3, {}),                // any number: never called
        Fn("ext_many", "reals_r16", 4, std::vector<int>(16, 2)),
        Fn("ext_missing", "no_such_export", 5, {}),
    };
    p.files[0].functions[2].argc = -1;
    p.files[0].functions[1].convention = 0;  // stdcall calls the same convention
    LoadBesideLibrary({p});
    for (bool machine : {true, false}) {
        Code_UseVM = machine;
        EXPECT_EQ(Run("return ext_sum(2, '3')").GetReal(), 8.0);
        EXPECT_STREQ(Run("return ext_text('2', 3)").GetString(), "8");
        EXPECT_EQ(Run("return ext_any()").GetReal(), 0.0);
        EXPECT_EQ(Run("return ext_many(1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,2)").GetReal(), 136.0 + 16.0);
        EXPECT_EQ(Run("return ext_missing()").GetReal(), 0.0);
        EXPECT_EQ(Run("return ext_sum(2)").GetReal(), 0.0);
    }
    EXPECT_TRUE(g_errors.empty());
}

TEST_F(Extension, InitialisationAndFinalisationFunctions)
{
    extn::Package p;
    extn::File library;
    library.init = "ext_init";
    library.functions = {Fn("ext_init", "ext_init", 1, {}), Fn("ext_initialised", "ext_initialised", 2, {})};
    extn::File scripts;
    scripts.kind = 2;
    scripts.init = "scr_ready";
    p.files = {library, scripts};
    LoadBesideLibrary({p});
    Script_Add("scr_ready", "global.ready = 7;");  // the load emptied the script table
    ASSERT_TRUE(Script_Prepare());
    EXPECT_EQ(Run("return ext_initialised()").GetReal(), 0.0);
    ASSERT_TRUE(Extension_Initialise());
    EXPECT_EQ(Run("return ext_initialised()").GetReal(), 1.0);
    TaggedValue ready;
    ASSERT_TRUE(Variable_Global_Get(Code_Variable_FindOrAdd("ready"), 0, &ready));
    EXPECT_EQ(ready.GetReal(), 7.0);
    EXPECT_TRUE(g_errors.empty());
}

TEST_F(Extension, MissingFunctionsAreFatal)
{
    extn::Package p;
    extn::File file;
    file.init = "nope";
    file.final = "gone";
    p.files = {file};
    LoadBesideLibrary({p});
    EXPECT_FALSE(Extension_Initialise());
    ASSERT_EQ(g_errors.size(), 1u);
    EXPECT_EQ(g_errors[0], "fatal: Could not locate initialization function nope");
    EXPECT_TRUE(Extension_Finalise());  // nothing was initialised
    GameFile_Free();

    p.files[0].init = "";
    LoadBesideLibrary({p});
    EXPECT_TRUE(Extension_Initialise());
    EXPECT_FALSE(Extension_Finalise());
    EXPECT_EQ(g_errors.back(), "fatal: Could not locate finalization function gone");
    EXPECT_TRUE(Extension_Finalise());  // once
}

TEST_F(Extension, DamagedChunksFailTheLoad)
{
    extn::Package p;
    p.files.push_back({});
    p.files[0].functions = {Fn("ext_a", "mix_r_rr", 1, {2, 2})};
    std::vector<uint8_t> prefix = extn::Prefix();
    size_t base = prefix.size() + 8;
    std::vector<uint8_t> good = extn::Payload({p}, base);
    ASSERT_TRUE(extn::Load(extn::WithPayload(prefix, good)));
    // Every cut, and every offset field pointed past the file, fails the load and keeps nothing.
    for (size_t cut = 0; cut < good.size(); cut += 4) {
        std::vector<uint8_t> payload(good.begin(), good.begin() + (long)cut);
        EXPECT_FALSE(extn::Load(extn::WithPayload(prefix, payload))) << cut;
        EXPECT_EQ(Extension_PackageCount(), 0);
    }
    for (size_t at = 0; at + 4 <= good.size(); at += 4) {
        std::vector<uint8_t> payload = good;
        extn::Patch(payload, at, 0x7FFFFFF0u);
        extn::Load(extn::WithPayload(prefix, payload));
    }
    // An id beyond the tables' limit and an argument count larger than the file.
    p.files[0].functions[0].id = EXTENSION_MAX_ID + 1;
    EXPECT_FALSE(extn::Load(extn::Game({p})));
    p.files[0].functions[0].id = 1;
    p.files[0].functions[0].argc = 100000;
    EXPECT_FALSE(extn::Load(extn::Game({p})));
}

// n packages that are all one package of n files that are all one file of n functions that are
// all one function.
std::vector<uint8_t> Repeated(uint32_t n)
{
    std::vector<uint8_t> prefix = extn::Prefix();
    uint32_t base = (uint32_t)prefix.size() + 8;
    uint32_t package = base + 4 + 4 * n, file = package + 8 + 4 + 4 * n, function = file + 16 + 4 + 4 * n;
    std::vector<uint8_t> b;
    extn::Put(b, n);
    for (uint32_t i = 0; i < n; i++) extn::Put(b, package);
    for (uint32_t v : {0u, 0u, n}) extn::Put(b, v);
    for (uint32_t i = 0; i < n; i++) extn::Put(b, file);
    for (uint32_t v : {0u, 0u, 0u, 1u, n}) extn::Put(b, v);
    for (uint32_t i = 0; i < n; i++) extn::Put(b, function);
    for (uint32_t v : {0u, 1u, 12u, 2u, 0u, 0u}) extn::Put(b, v);
    return extn::WithPayload(prefix, b);
}

TEST_F(Extension, ListsThatRepeatOneRecordAreBounded)
{
    ASSERT_TRUE(extn::Load(Repeated(2)));
    EXPECT_EQ(Extension_PackageCount(), 2);
    // A thousand cubed records from twelve kilobytes: refused at once.
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(extn::Load(Repeated(1000)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}
