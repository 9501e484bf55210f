// The audio system on the null back end: voice ids, stopping by id and by sound, priorities
// taking sources, emitters, channel counts, lengths and the failure values when it is off.
#include "SoundGame.h"

#include "Sound/MCI.h"

namespace {

class AudioTest : public SoundGame {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Load(true,
                         {{"snd_long", 0, "", 1, 0}, {"snd_short", 0, "", 0.5f, 1}, {"snd_music", 1, "theme.mp3", 1, -1}, {}},
                         {SoundFile::Entry(WaveMaker::Tone(440, 2.0)), SoundFile::Entry(WaveMaker::Tone(880, 0.25, 2, 22050))}));
        ASSERT_TRUE(Audio_IsNewSystem());
    }
};

}  // namespace

TEST_F(AudioTest, VoiceIdsAndStoppingByIdOrBySound)
{
    EXPECT_TRUE(Warned("Audio_Load()") && Warned("Audio_WAVs()"));
    EXPECT_EQ(Sound_Count(), 0);  // only the new table is filled
    int first = Audio_PlaySound(0, 1, false);
    int second = Audio_PlaySound(0, 1, false);
    int other = Audio_PlaySound(1, 1, true);
    EXPECT_EQ(first, 200000);
    EXPECT_EQ(second, 200001);
    EXPECT_EQ(other, 200002);
    EXPECT_TRUE(Audio_IsPlaying(first) && Audio_IsPlaying(second) && Audio_IsPlaying(0));
    Audio_StopSound(200000);  // one voice
    EXPECT_FALSE(Audio_IsPlaying(first));
    EXPECT_TRUE(Audio_IsPlaying(second));
    Audio_StopSound(0);  // every voice of sound 0
    EXPECT_FALSE(Audio_IsPlaying(second));
    EXPECT_FALSE(Audio_IsPlaying(0));
    EXPECT_TRUE(Audio_IsPlaying(other));
    Audio_PauseSound(1);
    EXPECT_FALSE(Audio_IsPlaying(other));
    Audio_ResumeSound(other);
    EXPECT_TRUE(Audio_IsPlaying(other));
    Audio_PauseAll();
    EXPECT_FALSE(Audio_IsPlaying(1));
    Audio_ResumeAll();
    EXPECT_TRUE(Audio_IsPlaying(1));
    Audio_StopAll();
    EXPECT_FALSE(Audio_IsPlaying(1));
    // Ids are never given again.
    EXPECT_EQ(Audio_PlaySound(0, 1, false), 200003);
}

TEST_F(AudioTest, PrioritiesTakeSourcesFromLowerVoices)
{
    Audio_SetChannelNum(2);
    int low = Audio_PlaySound(0, 1, true);
    int mid = Audio_PlaySound(0, 3, true);
    EXPECT_EQ(Audio_PlaySound(0, 1, true), -1);    // not above the lowest playing priority
    EXPECT_EQ(Audio_PlaySound(0, 0.5, true), -1);
    // A bad sound index asks for no source: nothing is silenced for it.
    EXPECT_EQ(Audio_PlaySound(9, 100, true), -1);
    EXPECT_EQ(Audio_PlaySound(3, 100, true), -1);  // an empty slot
    EXPECT_TRUE(Audio_IsPlaying(low));
    int high = Audio_PlaySound(0, 5, true);
    ASSERT_GE(high, AUDIO_VOICE_BASE);
    EXPECT_FALSE(Audio_IsPlaying(low));  // its source was taken
    EXPECT_TRUE(Audio_IsPlaying(mid));
    EXPECT_TRUE(Audio_IsPlaying(high));
    Audio_StopSound(low);  // a stolen voice is not stopped again: the new one plays on
    EXPECT_TRUE(Audio_IsPlaying(high));
    int higher = Audio_PlaySound(0, 6, true);
    EXPECT_TRUE(Audio_IsPlaying(higher));
    EXPECT_FALSE(Audio_IsPlaying(mid));
}

TEST_F(AudioTest, ChannelCountsOutOfRange)
{
    for (int count : {-1, 300, 0, INT32_MIN}) {
        Audio_SetChannelNum(count);
        int voice = Audio_PlaySound(0, 1, false);
        if (count > 0) EXPECT_TRUE(Audio_IsPlaying(voice)) << count;
        else EXPECT_EQ(voice, -1) << count;
    }
    EXPECT_FALSE(Warned("Error"));
    // More than the device holds: as many as it gives, with the message.
    Audio_SetChannelNum(100000);
    EXPECT_TRUE(Warned("Error creating audio sources"));
    int voices[3] = {};
    for (int& v : voices) v = Audio_PlaySound(1, 1, true);
    EXPECT_TRUE(Audio_IsPlaying(voices[2]));
}

TEST_F(AudioTest, ChangingTheChannelCountKeepsTheVoicesThatSound)
{
    Audio_SetChannelNum(300);
    std::vector<int> voices;
    for (int i = 0; i < 300; i++) voices.push_back(Audio_PlaySound(1, i % 3 == 1 ? 2 : 1, true));
    int paused = voices[4];  // of priority 2
    Audio_PauseSound(paused);
    Audio_StopSound(voices[6]);
    // Growing keeps every voice on its source.
    Audio_SetChannelNum(400);
    for (int v : voices) EXPECT_EQ(Audio_IsPlaying(v), v != paused && v != voices[6]) << v;
    // Shrinking keeps the highest priorities while there is room: the 100 voices of priority 2,
    // the paused one among them, and one of the others.
    Audio_SetChannelNum(101);
    int playing = 0;
    for (int i = 0; i < 300; i++) {
        bool high = i % 3 == 1;
        if (high && voices[i] != paused) {
            EXPECT_TRUE(Audio_IsPlaying(voices[i])) << i;
        }
        playing += Audio_IsPlaying(voices[i]);
    }
    EXPECT_EQ(playing, 99 + 1);
    Audio_ResumeSound(paused);
    EXPECT_TRUE(Audio_IsPlaying(paused));
    // No source is free, and none goes to a voice of no higher priority.
    EXPECT_EQ(Audio_PlaySound(0, 1, false), -1);
    EXPECT_GE(Audio_PlaySound(0, 5, false), AUDIO_VOICE_BASE);
    Audio_StopAll();
    EXPECT_FALSE(Audio_IsPlaying(1));
    EXPECT_FALSE(Warned("Error"));
}

TEST_F(AudioTest, EmittersLiveOnAfterTheyAreFreed)
{
    EXPECT_EQ(Audio_PlaySoundOn(0, 0, false, 1), -1);  // no emitter yet: no message
    EXPECT_FALSE(Warned("inactive emitter"));
    int a = Audio_CreateEmitter();
    int b = Audio_CreateEmitter();
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_FALSE(Audio_EmitterExists(7));  // the table grew by eight slots; only two hold records
    EXPECT_FALSE(Audio_EmitterExists(8));
    EXPECT_FALSE(Audio_EmitterExists(-1));
    int voice = Audio_PlaySoundOn(a, 1, true, 1);
    EXPECT_TRUE(Audio_IsPlaying(voice));
    Audio_FreeEmitter(a);
    EXPECT_TRUE(Audio_EmitterExists(a));
    EXPECT_TRUE(Audio_IsPlaying(voice));  // its voices keep playing
    EXPECT_EQ(Audio_PlaySoundOn(a, 1, false, 1), -1);
    EXPECT_TRUE(Warned("Audio_PlaySound Attempting to play sound on inactive emitter 0"));
    Audio_SetEmitterGain(a, 0.25f);
    EXPECT_EQ(Audio_CreateEmitter(), a);  // reused
    for (int i = 0; i < 20; i++) Audio_CreateEmitter();
    EXPECT_TRUE(Audio_EmitterExists(21));
    EXPECT_FALSE(Audio_EmitterExists(22));
    // Updates with voices that stopped and slots that were freed.
    Audio_StopSound(voice);
    Audio_Update();
    Audio_SetEmitterFalloff(a, 10, 20, 2);
    Audio_SetEmitterPosition(99, 1, 2, 3);
    Audio_SetEmitterPitch(-4, 2);
    EXPECT_FALSE(Warned("Error"));
}

TEST_F(AudioTest, LengthsTypesAndModels)
{
    EXPECT_NEAR(Audio_GetSoundLength(0), 2.0, 1e-4);
    EXPECT_NEAR(Audio_GetSoundLength(1), 0.25, 1e-4);  // stereo at 22050 Hz
    int voice = Audio_PlaySound(1, 1, false);
    EXPECT_NEAR(Audio_GetSoundLength(voice), 0.25, 1e-4);
    EXPECT_EQ(Audio_GetSoundLength(2), -1.0f);  // streamed: no buffer
    EXPECT_EQ(Audio_GetSoundLength(999999), -1.0f);
    EXPECT_EQ(Audio_GetType(0), 0);
    EXPECT_EQ(Audio_GetType(2), 1);
    EXPECT_EQ(Audio_GetType(3), -1);
    EXPECT_TRUE(Audio_Exists(2));
    EXPECT_FALSE(Audio_Exists(3));
    EXPECT_STREQ(Audio_GetName(1), "snd_short");
    // A streamed sound has no buffer, yet a voice id.
    EXPECT_GE(Audio_PlaySound(2, 1, false), AUDIO_VOICE_BASE);
    Audio_SetFalloffModel(7);
    EXPECT_TRUE(Warned("Attempting to set audio falloff to unknown model"));
    Audio_SetFalloffModel(-1);
    for (int model = 0; model <= 6; model++) Audio_SetFalloffModel(model);
    Audio_SetMasterGain(-1);
    Audio_SetMasterGain(NAN);
    EXPECT_FALSE(Warned("Error"));
}

TEST_F(AudioTest, MusicGoesToTheDeviceByName)
{
    std::vector<std::string> log;
    MCI_Log = &log;
    Audio_PlayMusic(0, true);  // a sample's name: nothing
    EXPECT_TRUE(log.empty());
    Audio_PlayMusic(2, false);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_NE(log[0].find("theme.mp3\" type mpegvideo alias MediaFile"), std::string::npos);
    EXPECT_EQ(log[3].find(" repeat"), std::string::npos);
    EXPECT_EQ(Sound_CurrentMusic, "theme.mp3");
    EXPECT_FALSE(Audio_IsPlaying(2));  // the file is not there
    Audio_StopMusic();
    EXPECT_EQ(Sound_CurrentMusic, "");
    MCI_Log = nullptr;
}

TEST_F(AudioTest, OffItGivesItsFailureValues)
{
    // The older system: the audio system answers only what does not need it.
    GameFile_Free();
    Sound_Free();
    ASSERT_TRUE(Load(false, {{"snd", 0, "", 1, 0}}, {SoundFile::Entry(WaveMaker::Tone(440, 0.1))}));
    EXPECT_FALSE(Audio_IsNewSystem());
    EXPECT_EQ(Audio_PlaySound(0, 1, false), -1);
    EXPECT_EQ(Audio_PlaySoundAt(0, 0, 0, 0, 1, 2, 1, false, 1), -1);
    EXPECT_EQ(Audio_CreateEmitter(), -1);
    EXPECT_EQ(Audio_GetSoundLength(0), -1.0f);
    EXPECT_EQ(Audio_GetType(0), -1);
    EXPECT_FALSE(Audio_IsPlaying(0));
    Audio_SetFalloffModel(9);
    EXPECT_TRUE(Warned("unknown model"));
}
