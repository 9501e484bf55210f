// Starting programs without a shell, and the game's folder.
#include "../Base/CapturedWarnings.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Base/Timer.h"
#include "Run/Process.h"
#include "Support/LoadSave.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Split(const char* text)
{
    char** args;
    int count = Process_SplitArguments(text, &args);
    std::vector<std::string> out(args, args + count);
    EXPECT_EQ(args[count], nullptr);
    Process_FreeArguments(args, count);
    return out;
}

int pumped;

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("process_test_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        Timer_PumpHook = nullptr;
        fs::remove_all(dir);
    }
    fs::path dir;
    TCapturedWarnings capture;
};

TEST_F(ProcessTest, ArgumentsSplitAtSpacesOutsideQuotes)
{
    EXPECT_EQ(Split(""), std::vector<std::string>{});
    EXPECT_EQ(Split("  a  b\tc "), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Split("\"a b\" c\"d e\"f \"\""), (std::vector<std::string>{"a b", "cd ef", ""}));
    EXPECT_EQ(Split("say \\\"hi\\\" C:\\dir"), (std::vector<std::string>{"say", "\"hi\"", "C:\\dir"}));
    EXPECT_EQ(Split("\"unclosed quote"), (std::vector<std::string>{"unclosed quote"}));
    // Backslashes count only before a quote; "" inside quotes is a quote.
    EXPECT_EQ(Split(R"(C:\dir\ "x\\" a\\\"b "q""q" \\\\)"),
              (std::vector<std::string>{"C:\\dir\\", "x\\", "a\\\"b", "q\"q", "\\\\\\\\"}));
    EXPECT_EQ(Split(nullptr), std::vector<std::string>{});
}

TEST_F(ProcessTest, ProgramRunsInItsFolderWithItsArguments)
{
    ASSERT_TRUE(Execute_Program("touch", "\"a b.txt\" c.txt;echo $HOME", dir.c_str(), true)) << capture.text;
    EXPECT_TRUE(fs::exists(dir / "a b.txt"));
    EXPECT_TRUE(fs::exists(dir / "c.txt;echo")) << "no shell reads the arguments";
    EXPECT_TRUE(fs::exists(dir / "$HOME"));

    pumped = 0;
    Timer_PumpHook = [] { pumped++; };
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Execute_Program("sleep", "0.3", nullptr, true));
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), 300);
    EXPECT_GE(pumped, 3) << "messages are handled while waiting";
    EXPECT_LE(pumped, waited.count() / 50 + 1) << "about every 50 ms, not busily";

    EXPECT_FALSE(Execute_Program("no-such-program-here", "", nullptr, true));
    EXPECT_NE(capture.text.find("Cannot start"), std::string::npos);
    EXPECT_FALSE(Execute_Program("no-such-program-here", "", nullptr, false));
    EXPECT_FALSE(Execute_Program("touch", "x", (dir / "missing").c_str(), false));
    EXPECT_FALSE(Execute_Program("", "", nullptr, false));
}

TEST_F(ProcessTest, ShellStartsExecutablesWithParameters)
{
    fs::path script = dir / "make_file";
    std::ofstream(script) << "#!/bin/sh\ntouch \"$1\"\n";
    chmod(script.c_str(), 0755);
    ASSERT_TRUE(Execute_Shell("make_file", "made.txt", dir.c_str()));
    for (int i = 0; i < 200 && !fs::exists(dir / "made.txt"); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fs::exists(dir / "made.txt"));
    EXPECT_FALSE(Execute_Shell("", nullptr, nullptr));
}

TEST_F(ProcessTest, TheOpenerNeverTakesANameForAnOption)
{
    fs::create_directories(dir / "bin");
    std::ofstream(dir / "bin" / "xdg-open") << "#!/bin/sh\nprintf '%s|' \"$@\" > \"" << (dir / "opened").string() << "\"\n";
    chmod((dir / "bin" / "xdg-open").c_str(), 0755);
    std::string path = getenv("PATH");
    setenv("PATH", ((dir / "bin").string() + ":" + path).c_str(), 1);
    ASSERT_TRUE(Execute_Shell("--help", nullptr, dir.c_str()));
    // The file appears before the opener has written into it.
    for (int i = 0; i < 300 && (!fs::exists(dir / "opened") || fs::file_size(dir / "opened") == 0); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    setenv("PATH", path.c_str(), 1);
    std::ifstream in(dir / "opened");
    std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(got, "./--help|");
}

TEST_F(ProcessTest, GameDirectoryEndsInASlash)
{
    LoadSave_SetProgramFolder("");
    EXPECT_EQ(std::string(GetGameDirectory()), fs::current_path().string() + "/");
    fs::create_directories(dir / "sub");
    LoadSave_SetProgramFolder((dir / "sub").c_str());
    EXPECT_EQ(std::string(GetGameDirectory()), fs::canonical(dir / "sub").string() + "/");
    LoadSave_SetProgramFolder("");
}

}  // namespace
