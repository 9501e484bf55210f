#include "Support/File.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The files of a folder, by name.
std::vector<std::string> Names(const fs::path& dir)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    return out;
}

}  // namespace

TEST(FileWriteWhole, ReplacesTheFileOrLeavesTheOldOne)
{
    char pattern[] = "/tmp/write_whole_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    fs::path dir = pattern, file = dir / "save.dat";

    ASSERT_TRUE(File_WriteWhole(file.c_str(), "first", 5));
    ASSERT_TRUE(File_WriteWhole(file.c_str(), "second save", 11));
    EXPECT_EQ(ReadAll(file), "second save");
    ASSERT_TRUE(File_WriteWhole(file.c_str(), nullptr, 0));
    EXPECT_EQ(ReadAll(file), "");
    ASSERT_TRUE(File_WriteWhole(file.c_str(), "kept", 4));

    // A write that fails half-way (the file size limit stands in for a full disk) keeps the old
    // file whole and leaves nothing beside it.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string big(4096, 'x');
    bool written = File_WriteWhole(file.c_str(), big.data(), (int64_t)big.size());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadAll(file), "kept");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"save.dat"});

    // No folder, no name, a negative size: refused.
    EXPECT_FALSE(File_WriteWhole((dir / "missing" / "x").c_str(), "x", 1));
    EXPECT_FALSE(File_WriteWhole("", "x", 1));
    EXPECT_FALSE(File_WriteWhole(file.c_str(), "x", -1));
    EXPECT_EQ(ReadAll(file), "kept");
    fs::remove_all(dir);
}
