// The MCI command sequences (what each operation sends) and the interpreter's answers: music
// aliases and their failures, the CD operations on the fake disc and without a disc.
#include "Sound/MCI.h"
#include "../Base/CapturedWarnings.h"

#include "Support/LoadSave.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class MciTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MCI_Log = &log;
        MCI_SetFakeDisc(true);
    }
    void TearDown() override
    {
        MCI_Log = nullptr;
        MCI_SetFakeDisc(false);
        MCI_CloseAll();
    }
    bool Sent(const std::string& command) const
    {
        for (const std::string& c : log)
            if (c == command) return true;
        return false;
    }
    std::vector<std::string> log;
    TCapturedWarnings warnings;
};

}  // namespace

TEST_F(MciTest, MusicCommandsAddressTheFileOpenedLast)
{
    LoadSave_SetProgramFolder("/tmp/no-such-game/");
    MCI_PlayFile("song.mp3", true);
    MCI_PlayFile("/abs/other.mp3", false);
    MCI_Stop();
    // The counter goes on from whatever music this process opened before.
    ASSERT_EQ(log.size(), 11u);
    int n = atoi(log[0].c_str() + log[0].rfind("MediaFile") + 9);
    ASSERT_GT(n, 0);
    std::string first = "MediaFile" + std::to_string(n), second = "MediaFile" + std::to_string(n + 1);
    const std::vector<std::string> expected = {
        "open \"/tmp/no-such-game/song.mp3\" type mpegvideo alias " + first,
        "set " + first + " time format milliseconds",
        "set " + first + " seek exactly on",
        "play " + first + " repeat",
        "open \"/abs/other.mp3\" type mpegvideo alias " + second,
        "set " + second + " time format milliseconds",
        "set " + second + " seek exactly on",
        "play " + second,
        "seek " + second + " to start",
        "stop " + second,
        "close " + second,
    };
    EXPECT_EQ(log, expected);
    // Neither file opened: each failure names the file and the sequence went on.
    EXPECT_NE(warnings.text.find("error opening mp3 file /tmp/no-such-game/song.mp3 - "), std::string::npos);
    EXPECT_NE(warnings.text.find("error playing file for /abs/other.mp3 - "), std::string::npos);
    EXPECT_NE(warnings.text.find("error closing mp3 - "), std::string::npos);
    MCI_SetVolume(0.25f);
    EXPECT_TRUE(Sent("setaudio " + second + " volume to 250"));
    EXPECT_NE(warnings.text.find("error setting mp3 volume to 0.25(250) - "), std::string::npos);
    EXPECT_FALSE(MCI_IsPlaying());
}

TEST_F(MciTest, UnknownAndMalformedCommandsGiveEmptyReplies)
{
    for (const char* command : {"", "play", "frobnicate the disc", "status nobody mode", "open \"unclosed type mpegvideo alias x",
                                "open \"x.mp3\" type waveaudio alias y", "status cdaudio weather", "setaudio cdaudio volume to 5"}) {
        EXPECT_EQ(MCI_Command(command), "") << command;
    }
    char reply[4];
    EXPECT_NE(MCI_Send("status nobody mode", reply, sizeof reply), 0);
    EXPECT_STREQ(reply, "");
    char text[8];
    MCI_GetErrorString(MCI_Send("nonsense here", nullptr, 0), text, sizeof text);
    EXPECT_EQ(strlen(text), 7u);  // cut to the buffer
    MCI_GetErrorString(-5, text, sizeof text);
    EXPECT_STRNE(text, "");
}

TEST_F(MciTest, CdPlayWithTheTrackRange)
{
    EXPECT_TRUE(CDAudio_IsPresent());
    EXPECT_EQ(CDAudio_GetTrackCount(), 10);
    CDAudio_Play(3, 99);
    EXPECT_EQ(log.back(), "play cdaudio from 3");
    EXPECT_TRUE(CDAudio_IsPlaying());
    EXPECT_EQ(CDAudio_GetTrack(), 3);
    CDAudio_Play(0, 2);
    EXPECT_EQ(log.back(), "play cdaudio from 1 to 3");
    EXPECT_EQ(CDAudio_GetTrack(), 1);
    log.clear();
    CDAudio_Play(5, 4);  // the last before the first: nothing plays
    EXPECT_FALSE(Sent("play cdaudio from 5"));
    CDAudio_Pause();
    EXPECT_TRUE(CDAudio_IsPaused());
    EXPECT_FALSE(CDAudio_IsPlaying());
    CDAudio_Resume();
    EXPECT_TRUE(CDAudio_IsPlaying());
    CDAudio_Stop();
    EXPECT_TRUE(CDAudio_IsPaused());  // a stopped disc counts as paused
}

TEST_F(MciTest, CdTimesAndTrackPositions)
{
    // Track n lasts 120 + n seconds.
    EXPECT_EQ(CDAudio_GetTrackLength(2), 122000);
    EXPECT_EQ(CDAudio_GetTrackLength(0), 0);
    EXPECT_EQ(CDAudio_GetTrackLength(11), 0);
    EXPECT_EQ(CDAudio_GetLength(), 1255000);
    CDAudio_Play(2, 99);
    // One minute and 15.5 seconds into track 2, while it plays.
    CDAudio_SetTrackPosition(75500);
    EXPECT_TRUE(Sent("play cdaudio from 2:1:15"));
    EXPECT_EQ(CDAudio_GetTrack(), 2);
    // Minutes and seconds are whole two-digit fields: 1 minute 15 seconds, not 1 and 5.
    EXPECT_EQ(CDAudio_GetTrackPosition(), 75000);
    EXPECT_EQ(CDAudio_GetPosition(), 121000 + 75000);
    CDAudio_Stop();
    CDAudio_SetPosition(130000);  // stopped: a seek, in milliseconds
    EXPECT_TRUE(Sent("seek cdaudio to 130000"));
    EXPECT_EQ(CDAudio_GetTrack(), 2);
    EXPECT_EQ(CDAudio_GetTrackPosition(), 9000);
    EXPECT_EQ(MCI_Command("status cdaudio position"), "02:00:09:00");
    // Out of range positions are refused: the position stays.
    CDAudio_SetTrackPosition(-60000);
    CDAudio_SetPosition(99999999);
    EXPECT_EQ(CDAudio_GetPosition(), 130000);
}

TEST_F(MciTest, WithoutADiscEverythingIsZero)
{
    CDAudio_OpenDoor();
    EXPECT_FALSE(CDAudio_IsPresent());
    CDAudio_CloseDoor();
    EXPECT_TRUE(CDAudio_IsPresent());
    MCI_SetFakeDisc(false);
    CDAudio_Init();
    CDAudio_Play(1, 2);
    CDAudio_SetTrackPosition(1000);
    CDAudio_SetPosition(1000);
    EXPECT_FALSE(CDAudio_IsPresent());
    EXPECT_FALSE(CDAudio_IsPlaying());
    EXPECT_FALSE(CDAudio_IsPaused());
    for (int value : {CDAudio_GetTrackCount(), CDAudio_GetTrack(), CDAudio_GetLength(), CDAudio_GetTrackLength(1),
                      CDAudio_GetPosition(), CDAudio_GetTrackPosition()})
        EXPECT_EQ(value, 0);
    EXPECT_FALSE(Sent("play cdaudio from 1 to 3"));
    EXPECT_EQ(MCI_Command("status cdaudio media present"), "false");
}
