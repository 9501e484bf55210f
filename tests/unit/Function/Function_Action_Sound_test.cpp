// The sound, music and CD actions under each audio system, on OpenAL's null back end.
#include "Function/Function_Action.h"
#include "../Sound/SoundGame.h"
#include "BuiltinCall.h"

#include "Sound/MCI.h"

namespace {

class ActionSound : public BuiltinTestOn<SoundGame> {
protected:
    void Register() override { Function_Action_Init(); }
};

}  // namespace

TEST_F(ActionSound, TheOlderSystemPlaysStopsAndReportsMissingSounds)
{
    ASSERT_TRUE(LoadToneAndMusic(false));
    Call("action_sound", {0.0, 0.0});
    EXPECT_EQ(Real("action_if_sound", {0.0}), 1);
    Call("action_end_sound", {0.0});
    EXPECT_EQ(Real("action_if_sound", {0.0}), 0);
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Real("action_if_sound", {7.0}), 0);
    EXPECT_TRUE(Errors().empty()) << "asking about a missing sound is no error";
    Call("action_sound", {7.0, 1.0});
    Call("action_end_sound", {-1.0});
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_NE(Errors()[0].find("Trying to play non-existing sound."), std::string::npos);
    EXPECT_NE(Errors()[1].find("Trying to stop non-existing sound."), std::string::npos);
    Call("action_replace_sound", {7.0, S("tone.wav")});
    Call("action_replace_sound", {0.0, S("missing.wav")});
    ASSERT_EQ(Errors().size(), 4u);
    EXPECT_NE(Errors()[2].find("Trying to replace non-existing resource."), std::string::npos);
    EXPECT_NE(Errors()[3].find("File does not exist."), std::string::npos);
}

// The new system plays an ordinary sound as a voice and a streamed one as the music.
TEST_F(ActionSound, TheAudioSystemPlaysSoundsAsVoicesAndStreamsAsMusic)
{
    ASSERT_TRUE(LoadToneAndMusic(true));
    Call("action_sound", {0.0, 0.0});
    EXPECT_EQ(Real("action_if_sound", {0.0}), 1);
    Call("action_end_sound", {0.0});
    EXPECT_EQ(Real("action_if_sound", {0.0}), 0);
    std::vector<std::string> log;
    MCI_Log = &log;
    Call("action_sound", {1.0, 1.0});
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find("repeat"), std::string::npos);
    size_t sent = log.size();
    Call("action_end_sound", {1.0});
    EXPECT_GT(log.size(), sent) << "the music is stopped";
    Call("action_sound", {5.0, 0.0});
    Call("action_end_sound", {5.0});
    EXPECT_TRUE(Errors().empty()) << "a missing sound does nothing under the new system";
}

TEST_F(ActionSound, CdActionsOnTheFakeDiscAndWithout)
{
    ASSERT_TRUE(LoadToneAndMusic(false));
    EXPECT_EQ(Real("action_cd_present"), 0);
    MCI_SetFakeDisc(true);
    EXPECT_EQ(Real("action_cd_present"), 1);
    Call("action_cd_play", {2.0, 4.0});
    EXPECT_EQ(Real("action_cd_playing"), 1);
    Call("action_cd_pause");
    EXPECT_EQ(Real("action_cd_playing"), 0);
    Call("action_cd_resume");
    EXPECT_EQ(Real("action_cd_playing"), 1);
    Call("action_cd_stop");
    EXPECT_EQ(Real("action_cd_playing"), 0);
}
