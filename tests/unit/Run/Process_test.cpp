// Starting programs without a shell, and the game's folder.
#include "../Base/CapturedWarnings.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Base/Timer.h"
#include "Run/Process.h"
#include "Support/LoadSave.h"

#include <algorithm>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
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
    // The text of a file a started program writes, once it is there.
    std::string Awaited(const fs::path& file)
    {
        for (int i = 0; i < 300 && !fs::exists(file); i++) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
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

// A started program sees standard input, output and error only, even of descriptors opened
// without close-on-exec (as libraries may open them).
TEST_F(ProcessTest, ProgramsInheritNoOtherDescriptor)
{
    int leaked = open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 3);
    // ls lists its own descriptors into a file given as its standard output; beside 0, 1 and 2
    // it has only the one it reads the listing through.
    int out = open((dir / "fds.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    fflush(stdout);
    int saved = fcntl(1, F_DUPFD_CLOEXEC, 3);
    dup2(out, 1);
    bool started = Execute_Program("ls", "-l /proc/self/fd", nullptr, true);
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(out);
    close(leaked);
    ASSERT_TRUE(started);
    std::ifstream listing(dir / "fds.txt");
    std::vector<std::string> fds;
    for (std::string line; std::getline(listing, line);) {
        size_t arrow = line.find(" -> ");
        if (arrow == std::string::npos) continue;
        std::string fd = line.substr(line.rfind(' ', arrow - 1) + 1, arrow - line.rfind(' ', arrow - 1) - 1);
        bool own = line.size() > 3 && line.compare(line.size() - 3, 3, "/fd") == 0;
        if (!own) fds.push_back(fd);
    }
    EXPECT_EQ(fds, (std::vector<std::string>{"0", "1", "2"}));
}

// Whatever a game names is a file for xdg-open, never one of its options.
TEST_F(ProcessTest, ShellNamesNeverBecomeOptions)
{
    fs::path opener = dir / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s|' \"$@\" >> opened.txt\n";
    chmod(opener.c_str(), 0755);
    std::string path = getenv("PATH");
    setenv("PATH", (dir.string() + ":" + path).c_str(), 1);
    bool started = Execute_Shell("--help", nullptr, dir.c_str()) && Execute_Shell("doc.txt", nullptr, dir.c_str());
    setenv("PATH", path.c_str(), 1);
    ASSERT_TRUE(started);
    std::string opened;
    for (int i = 0; i < 300 && std::count(opened.begin(), opened.end(), '|') < 2; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        opened = Awaited(dir / "opened.txt");
    }
    EXPECT_TRUE(opened == "./--help|doc.txt|" || opened == "doc.txt|./--help|") << opened;
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

// A started program begins with every signal at its default and none blocked, whatever the
// runner ignores or blocks; one not waited for is reaped when it ends.
TEST_F(ProcessTest, ProgramsStartCleanAndLeaveNoZombie)
{
    struct sigaction ignore{}, saved{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGUSR1, &ignore, &saved);
    sigset_t blocked, before;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &blocked, &before);
    std::string out = (dir / "status.txt").string();
    std::string command = "-c \"grep -E '^Sig(Ign|Blk)' /proc/self/status > '" + out + "'\"";
    bool started = Execute_Program("sh", command.c_str(), nullptr, true);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    sigaction(SIGUSR1, &saved, nullptr);
    ASSERT_TRUE(started);
    std::string masks = Awaited(out);  // "SigBlk:\t<hex>\nSigIgn:\t<hex>\n", bit n - 1 for signal n
    ASSERT_EQ(masks.rfind("SigBlk:\t", 0), 0u) << masks;
    size_t ignored = masks.find("SigIgn:\t");
    ASSERT_NE(ignored, std::string::npos) << masks;
    EXPECT_EQ(strtoull(masks.c_str() + 8, nullptr, 16) >> (SIGUSR2 - 1) & 1, 0u) << masks;
    EXPECT_EQ(strtoull(masks.c_str() + ignored + 8, nullptr, 16) >> (SIGUSR1 - 1) & 1, 0u) << masks;

    ASSERT_TRUE(Execute_Program("true", "", nullptr, false));
    // Children of this process, running or ended; one reaped leaves the list. Counting only
    // zombies would pass while the program still runs, before it could become one.
    auto children = [] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::ifstream status(entry.path() / "status");
            std::string line;
            while (std::getline(status, line))
                if (line.rfind("PPid:", 0) == 0 && atoi(line.c_str() + 5) == getpid()) count++;
        }
        return count;
    };
    for (int i = 0; i < 300 && children() > 0; i++) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(children(), 0);
}

// Web addresses and documents go to xdg-open; a program, or an address whose handler could be
// any program, is refused and never started.
TEST_F(ProcessTest, WebpagesOpenAddressesAndDocumentsButNeverPrograms)
{
    fs::path opener = dir / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s|' \"$@\" >> '" << (dir / "opened.txt").string() << "'\n";
    chmod(opener.c_str(), 0755);
    fs::path program = dir / "page.html";
    std::ofstream(program) << "#!/bin/sh\ntouch '" << (dir / "ran").string() << "'\n";
    chmod(program.c_str(), 0755);
    std::ofstream(dir / "doc two.txt") << "a document";
    std::string path = getenv("PATH");
    setenv("PATH", (dir.string() + ":" + path).c_str(), 1);
    std::vector<std::string> opened = {"https://example.com/a b", "mailto:a@example.com", (dir / "doc two.txt").string(),
                                       "file://" + dir.string() + "/doc%20two.txt", dir.string()};
    int accepted = 0;
    for (const std::string& name : opened) accepted += Execute_OpenWebpage(name.c_str());
    bool refused = !Execute_OpenWebpage(program.c_str()) && !Execute_OpenWebpage(("file://" + program.string()).c_str()) &&
                   !Execute_OpenWebpage(("FILE://localhost" + program.string()).c_str()) &&
                   !Execute_OpenWebpage("steam://run/1") && !Execute_OpenWebpage("") && !Execute_OpenWebpage(nullptr);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(accepted, (int)opened.size());
    EXPECT_TRUE(refused);
    std::string log;
    for (int i = 0; i < 300 && std::count(log.begin(), log.end(), '|') < (long)opened.size(); i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        log = Awaited(dir / "opened.txt");
    }
    for (const std::string& name : opened) EXPECT_NE(log.find(name + "|"), std::string::npos) << name << " in " << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '|'), (long)opened.size()) << log;
    EXPECT_FALSE(fs::exists(dir / "ran"));
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
