// The runner's switches.
#include "../Base/CapturedWarnings.h"
#include "Base/Console.h"
#include "Code/Code_Class.h"
#include "Run/CommandLine.h"
#include "Support/Support_DLL.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        CommandLine_Reset();
    }
    bool Parse(std::vector<const char*> args)
    {
        args.insert(args.begin(), "runner");
        return CommandLine_Parse((int)args.size(), args.data());
    }
    TCapturedWarnings capture;
};

TEST_F(CommandLineTest, EverySwitchIsRead)
{
    ASSERT_TRUE(Parse({"-game", "games/a b.win", "-debug", "-trace", "-ext", "-oldexec", "-noaudio", "-inawindow",
                       "-record", "out.rec", "-steam", "-bp", "scr_move@12", "-bp", "obj@x@3"}))
        << capture.text;
    EXPECT_STREQ(CommandLine.gameFile, "games/a b.win");
    EXPECT_TRUE(CommandLine.debug);
    EXPECT_TRUE(CommandLine.trace);
    EXPECT_TRUE(ExternalCallsDisabled);
    EXPECT_FALSE(Code_UseVM);
    EXPECT_TRUE(CommandLine.noAudio);
    EXPECT_TRUE(CommandLine.inAWindow);
    EXPECT_STREQ(CommandLine.recordFile, "out.rec");
    EXPECT_EQ(CommandLine.playbackFile, nullptr);
    EXPECT_TRUE(CommandLine.steam);
    ASSERT_EQ(CommandLine.breakpointCount, 2);
    EXPECT_STREQ(CommandLine.breakpoints[0].script, "scr_move");
    EXPECT_EQ(CommandLine.breakpoints[0].line, 12);
    EXPECT_STREQ(CommandLine.breakpoints[1].script, "obj@x");
    EXPECT_EQ(capture.text, "");

    ASSERT_TRUE(Parse({"-playback", "in.rec"}));
    EXPECT_STREQ(CommandLine.playbackFile, "in.rec");
    // A new parse starts from the defaults.
    EXPECT_EQ(CommandLine.gameFile, nullptr);
    EXPECT_FALSE(CommandLine.debug || CommandLine.trace || CommandLine.noAudio || CommandLine.inAWindow ||
                 CommandLine.steam || ExternalCallsDisabled);
    EXPECT_TRUE(Code_UseVM);
    EXPECT_EQ(CommandLine.breakpointCount, 0);
}

TEST_F(CommandLineTest, AtMostTenBreakpoints)
{
    std::vector<std::string> names;
    std::vector<const char*> args;
    for (int i = 0; i < 12; i++) names.push_back("s" + std::to_string(i) + "@" + std::to_string(i + 1));
    for (const std::string& n : names) args.push_back("-bp"), args.push_back(n.c_str());
    ASSERT_TRUE(Parse(args));
    EXPECT_EQ(CommandLine.breakpointCount, COMMANDLINE_MAX_BREAKPOINTS);
    EXPECT_STREQ(CommandLine.breakpoints[9].script, "s9");
    EXPECT_NE(capture.text.find("at most 10"), std::string::npos);
}

TEST_F(CommandLineTest, BadSwitchesAreReported)
{
    ASSERT_TRUE(Parse({"-fast", "data.win", "-debug"}));
    EXPECT_TRUE(CommandLine.debug) << "unknown switches are skipped, not fatal";
    EXPECT_NE(capture.text.find("Unknown switch \"-fast\""), std::string::npos);
    EXPECT_NE(capture.text.find("\"data.win\""), std::string::npos);

    for (const char* sw : {"-game", "-record", "-playback", "-bp"}) {
        capture.text.clear();
        EXPECT_FALSE(Parse({"-debug", sw})) << sw;
        EXPECT_NE(capture.text.find("needs an argument"), std::string::npos) << sw;
        EXPECT_FALSE(Parse({sw, ""})) << sw;
    }
    for (const char* bp : {"noline", "@5", "name@", "name@0", "name@-3", "name@12x", "name@ 4", "name@99999999999"}) {
        capture.text.clear();
        EXPECT_FALSE(Parse({"-bp", bp})) << bp;
        EXPECT_NE(capture.text.find("NAME@LINE"), std::string::npos) << bp;
    }
    EXPECT_FALSE(Parse({"-record", "a", "-playback", "b"}));
}

}  // namespace
