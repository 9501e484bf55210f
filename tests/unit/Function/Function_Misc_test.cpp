// The miscellaneous built-ins called by name: the registrar's order, hostile values, external
// functions of the test library, long files of code, and the window and clipboard under Xvfb.
#include "Function/Function_Misc.h"
#include "BuiltinCall.h"

#include "IO/Window.h"
#include "Object/Instance_Class.h"
#include "StartUp.h"
#include "Support/LoadSave.h"
#include "Support/Support_DLL.h"
#include "Variable/Variable_Main.h"

#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

class MiscBuiltins : public BuiltinTest {
protected:
    static void SetUpTestSuite()
    {
        StartUp_Constants();
        Variable_BuiltIn_Init();
    }
    void Register() override { Function_Misc_Init(); }
    void SetUp() override
    {
        BuiltinTest::SetUp();
        ExternalCallsDisabled = false;
        folder = fs::temp_directory_path() / ("misc_test_" + std::to_string(getpid()));
        fs::create_directories(folder);
        fs::copy_file(EXTTEST_LIBRARY, folder / "exttest.so", fs::copy_options::overwrite_existing);
        LoadSave_SetProgramFolder(folder.c_str());
    }
    void TearDown() override
    {
        DLL_FreeAll();
        LoadSave_SetProgramFolder(".");
        fs::remove_all(folder);
        BuiltinTest::TearDown();
    }
    // Code given as text runs with an instance as self.
    double RealOn(const char* name, std::vector<TaggedValue> args) { return Call(name, std::move(args), &self).GetReal(); }
    void Write(const char* name, const std::string& text)
    {
        std::ofstream(folder / name, std::ios::binary) << text;
    }
    fs::path folder;
    CInstance self{INSTANCE_ID_FIRST, 0, 0.0f, 0.0f};
};

const char* const kNames[] = {
    "event_inherited", "event_perform", "event_user", "event_perform_object",
    "external_define", "external_call", "external_free", "external_define0", "external_call0",
    "external_define1", "external_call1", "external_define2", "external_call2", "external_define3",
    "external_call3", "external_define4", "external_call4", "external_define5", "external_call5",
    "external_define6", "external_call6", "external_define7", "external_call7", "external_define8",
    "external_call8", "execute_string", "execute_file", "window_handle", "show_debug_message",
    "set_program_priority", "set_application_title", "variable_global_exists", "variable_global_get",
    "variable_global_array_get", "variable_global_array2_get", "variable_global_set",
    "variable_global_array_set", "variable_global_array2_set", "variable_local_exists",
    "variable_local_get", "variable_local_array_get", "variable_local_array2_get", "variable_local_set",
    "variable_local_array_set", "variable_local_array2_set", "clipboard_has_text", "clipboard_set_text",
    "clipboard_get_text"};
const int kCounts[] = {0, 2, 1, 3, -1, -1, 1, 3, 1, 4, 2, 5, 3, 6, 4, 7, 5, 3, 6, 3, 7, 3, 8, 3, 9, -1, -1,
                       0, 1, 1, 1, 1, 1, 2, 3, 2, 3, 4, 1, 1, 2, 3, 2, 3, 4, 0, 1, 0};

std::string Number(double v)
{
    char text[64];
    snprintf(text, sizeof text, "%g", v);
    return text;
}

}  // namespace

TEST_F(MiscBuiltins, RegistersTheFamilyInOrder)
{
    static_assert(sizeof kNames / sizeof kNames[0] == 48 && sizeof kCounts / sizeof kCounts[0] == 48);
    ASSERT_EQ(Function_Count(), 48);
    for (int i = 0; i < 48; i++) {
        EXPECT_STREQ(Function_Get(i)->name, kNames[i]);
        EXPECT_EQ(Function_Get(i)->argc, kCounts[i]) << kNames[i];
    }
    // "-steam" leaves out the 23 names from external_define to execute_file, and only them.
    Function_Clear();
    Function_Misc_Steam = true;
    Function_Misc_Init();
    Function_Misc_Steam = false;
    ASSERT_EQ(Function_Count(), 25);
    int next = 0;
    for (int i = 0; i < 48; i++) {
        if (i >= 4 && i < 27) continue;
        EXPECT_STREQ(Function_Get(next++)->name, kNames[i]);
    }
}

TEST_F(MiscBuiltins, HostileArgumentsAreHarmless)
{
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(2147483647.0), TaggedValue(100000.0),
                                    S("#\\#\n"), S("exttest.so")};
    for (const TaggedValue& p : patterns)
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            for (size_t n : {(size_t)std::max(f->argc, 0), (size_t)20}) {
                if (f->argc >= 0 && n != (size_t)f->argc) continue;
                std::vector<TaggedValue> args(n, p);
                Call(f->name, args, &self);
            }
        }
    for (const std::string& e : Errors()) EXPECT_EQ(e.find("[fatal]"), std::string::npos) << e;
    EXPECT_STREQ(Call("execute_string", {S("return 'still here'")}, &self).GetString(), "still here");
}

TEST_F(MiscBuiltins, ExternalFunctionsMarshalTheirArguments)
{
    double id = Real("external_define", {S("exttest.dll"), S("mix_s_rs"), 0.0, 1.0, 2.0, 0.0, 1.0});
    ASSERT_GE(id, 0.0);
    EXPECT_EQ(Text("external_call", {id, 2.0, S("3")}), "8");
    // Fixed forms: define0 ... define8 with call0 ... call8, kinds as given (1 to 4 arguments).
    const char* shapes[] = {"mix_r_", "mix_r_s", "mix_r_rs", "mix_r_srs", "mix_r_rsrs",
                            "reals_r5", "reals_r6", "reals_r7", "reals_r8"};
    for (int n = 0; n <= 8; n++) {
        std::vector<TaggedValue> define = {S("exttest.dll"), S(shapes[n])};
        std::vector<TaggedValue> call;
        double sum = n == 0 ? 0.5 : 0.0;
        for (int i = 0; i < n; i++) {
            bool text = n <= 4 && shapes[n][6 + i] == 's';
            if (n <= 4) define.push_back(text ? 1.0 : 0.0);
            double v = 2.0 + i;
            sum += (i + 1) * v;
            call.push_back(text ? S(Number(v).c_str()) : TaggedValue(v));
        }
        define.push_back(0.0);
        double f = Real(("external_define" + std::to_string(n)).c_str(), define);
        ASSERT_GE(f, 0.0) << shapes[n];
        call.insert(call.begin(), TaggedValue(f));
        EXPECT_EQ(Real(("external_call" + std::to_string(n)).c_str(), call), sum) << shapes[n];
    }
    EXPECT_TRUE(Errors().empty());
    // More values than any function takes: no call.
    EXPECT_EQ(Real("external_call", std::vector<TaggedValue>(21, TaggedValue(id))), 0.0);
    EXPECT_EQ(CallExact("external_call", {}).GetReal(), 0.0);
    // The messages of a definition that cannot be made; only a failed definition gives -1.
    EXPECT_EQ(CallExact("external_define", {S("exttest.so"), S("mix_r_rr"), 0.0, 0.0, 2.0, 0.0}).GetReal(), 0.0);
    EXPECT_EQ(CallExact("external_define", {S("exttest.so"), S("f"), 0.0, 0.0}).GetReal(), 0.0);
    std::vector<TaggedValue> seventeen = {S("exttest.so"), S("reals_r16"), 0.0, 0.0, 17.0};
    seventeen.resize(22, TaggedValue(0.0));
    EXPECT_EQ(CallExact("external_define", seventeen).GetReal(), 0.0);
    EXPECT_EQ(CallExact("external_define", {S("exttest.so"), S("reals_r6"), 0.0, 0.0, 6.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0})
                  .GetReal(), 0.0);
    EXPECT_EQ(Real("external_define0", {S("exttest.so"), S("no_such_export"), 0.0}), -1.0);
    ASSERT_EQ(Errors().size(), 5u);
    EXPECT_EQ(Errors()[0], "Wrong number of arguments to external_define()");
    EXPECT_EQ(Errors()[1], "Wrong number of arguments to external_define()");
    EXPECT_EQ(Errors()[2], "DLL functions can have at most 16 arguments");
    EXPECT_EQ(Errors()[3], "DLL functions with more than 4 arguments cannot have string arguments");
    EXPECT_EQ(Errors()[4], "Error defining an external function.");
    // Freed by the name it was defined with.
    Call("external_free", {S("exttest.dll")});
    EXPECT_EQ(Real("external_call", {id, 2.0, S("3")}), 0.0);
}

// Files longer than 5120 bytes, and lines as long, run whole.
TEST_F(MiscBuiltins, ExecuteFileReadsWholeFiles)
{
    std::string big = "total = 0;\n";
    for (int i = 0; i < 1000; i++) big += "total = total + 1;    // padding\r\n";
    Write("big.zuz", big + "return total");
    EXPECT_EQ(RealOn("execute_file", {S("big.zuz")}), 1000.0);
    Write("line.zuz", "s = '" + std::string(6000, 'x') + "'; return s == '" + std::string(6000, 'x') + "'");
    EXPECT_EQ(RealOn("execute_file", {S("line.zuz")}), 1.0);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MiscBuiltins, WindowAndClipboardUnderX)
{
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "the clipboard needs an X display (Xvfb)";
    ASSERT_TRUE(Window_Create(64, 48, true));
    EXPECT_GT(Real("window_handle"), 0.0);
    Window_SetCaption("stored");
    Call("set_application_title", {S("Title ünï")});
    EXPECT_STREQ(SDL_GetWindowTitle(MainWindow), "Title ünï");
    EXPECT_STREQ(Window_GetCaption(), "stored");
    Call("set_application_title", {5.0});
    EXPECT_STREQ(SDL_GetWindowTitle(MainWindow), "Title ünï");
    Call("clipboard_set_text", {S("copied ünï")});
    EXPECT_EQ(Real("clipboard_has_text"), 1.0);
    EXPECT_EQ(Text("clipboard_get_text"), "copied ünï");
    // An empty text is a text, until another program takes the clipboard.
    Call("clipboard_set_text", {S("")});
    EXPECT_EQ(Real("clipboard_has_text"), 1.0);
    EXPECT_EQ(Text("clipboard_get_text"), "");
    SDL_Event taken = {};
    taken.type = SDL_CLIPBOARDUPDATE;
    SDL_PushEvent(&taken);
    EXPECT_EQ(Real("clipboard_has_text"), 0.0);
    Call("clipboard_set_text", {S("")});
    Window_Destroy();
    EXPECT_EQ(Real("clipboard_has_text"), 0.0) << "the clipboard went with the window";
    ASSERT_TRUE(Window_Create(64, 48, true));
    Window_Destroy();
    EXPECT_EQ(Real("window_handle"), 0.0);
}

TEST_F(MiscBuiltins, ProgramPriorityOfTheCallingThread)
{
    // On a thread of its own, so the test runner keeps its priority.
    int idle = 0, any = 0;
    std::thread([&] {
        Call("set_program_priority", {-3.0});
        idle = getpriority(PRIO_PROCESS, (id_t)gettid());
        Call("set_program_priority", {7.0});  // normal, when the system allows going back
        any = getpriority(PRIO_PROCESS, (id_t)gettid());
    }).join();
    EXPECT_EQ(idle, 19);
    EXPECT_TRUE(any == 0 || any == 19) << any;
}
