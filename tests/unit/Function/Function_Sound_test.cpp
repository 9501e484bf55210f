// The sound built-ins called by name: the table, the gate between the two systems, the missing
// sound message, and every handler under hostile values in both systems.
#include "Function/Function_Sound.h"
#include "../Sound/SoundGame.h"
#include "BuiltinCall.h"
#include "../Base/CapturedWarnings.h"

#include "Option/Option_Main.h"
#include "Sound/MCI.h"

#include <cmath>

namespace {

class SoundBuiltins : public BuiltinTestOn<SoundGame> {
protected:
    void Register() override { Function_Sound_Init(); }
};

}  // namespace

TEST_F(SoundBuiltins, RegistersEveryNameInOrder)
{
    const std::pair<const char*, int> table[] = {
        {"sound_play", 1}, {"sound_loop", 1}, {"sound_stop", 1}, {"sound_stop_all", 0}, {"sound_isplaying", 1},
        {"sound_volume", 2}, {"sound_fade", 3}, {"sound_pan", 2}, {"sound_background_tempo", 1},
        {"sound_global_volume", 1}, {"sound_set_search_directory", 1}, {"sound_effect_set", 2},
        {"sound_effect_chorus", 8}, {"sound_effect_compressor", 7}, {"sound_effect_echo", 6},
        {"sound_effect_flanger", 8}, {"sound_effect_gargle", 3}, {"sound_effect_equalizer", 4},
        {"sound_effect_reverb", 5}, {"sound_3d_set_sound_position", 4}, {"sound_3d_set_sound_velocity", 4},
        {"sound_3d_set_sound_distance", 3}, {"sound_3d_set_sound_cone", 7}, {"cd_init", 0}, {"cd_present", 0},
        {"cd_number", 0}, {"cd_playing", 0}, {"cd_paused", 0}, {"cd_track", 0}, {"cd_length", 0},
        {"cd_track_length", 1}, {"cd_position", 0}, {"cd_track_position", 0}, {"cd_play", 2}, {"cd_stop", 0},
        {"cd_pause", 0}, {"cd_resume", 0}, {"cd_set_position", 1}, {"cd_set_track_position", 1},
        {"cd_open_door", 0}, {"cd_close_door", 0}, {"MCI_command", 1}, {"audio_listener_position", 3},
        {"audio_listener_velocity", 3}, {"audio_listener_orientation", 6}, {"audio_emitter_position", 4},
        {"audio_emitter_velocity", 4}, {"audio_system", 0}, {"audio_emitter_create", 0}, {"audio_emitter_free", 1},
        {"audio_play_sound", 3}, {"audio_play_sound_on", 4}, {"audio_play_sound_at", 9},
        {"audio_falloff_set_model", 1}, {"audio_stop_sound", 1}, {"audio_pause_sound", 1},
        {"audio_resume_sound", 1}, {"audio_pause_all", 0}, {"audio_resume_all", 0}, {"audio_is_playing", 1},
        {"audio_exists", 1}, {"audio_master_gain", 1}, {"audio_emitter_exists", 1}, {"audio_get_type", 1},
        {"audio_emitter_gain", 2}, {"audio_emitter_pitch", 2}, {"audio_emitter_falloff", 4},
        {"audio_channel_num", 1}, {"audio_play_music", 2}, {"audio_stop_music", 0}, {"audio_pause_music", 0},
        {"audio_resume_music", 0}, {"audio_stop_all", 0}, {"audio_sound_length", 1},
    };
    ASSERT_EQ(Function_Count(), 74);
    for (int id = 0; id < 74; id++) {
        const RFunction* f = Function_Get(id);
        ASSERT_NE(f, nullptr);
        EXPECT_STREQ(f->name, table[id].first) << id;
        EXPECT_EQ(f->argc, table[id].second) << table[id].first;
    }
}

TEST_F(SoundBuiltins, OlderSoundsPlayAndMissingOnesAreReported)
{
    ASSERT_TRUE(LoadToneAndMusic(false));
    EXPECT_EQ(Real("audio_system"), 0);
    Call("sound_play", {0.0});
    EXPECT_EQ(Real("sound_isplaying", {0.0}), 1);
    Call("sound_stop", {0.0});
    EXPECT_EQ(Real("sound_isplaying", {0.0}), 0);
    Call("sound_loop", {0.0});
    Call("sound_volume", {0.0, 0.5});
    Call("sound_fade", {0.0, 0.0, 1000.0});
    EXPECT_EQ(Sound_GetSound(0)->m_volume, 0.5);  // a fade keeps the stored volume
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Real("sound_isplaying", {5.0}), 0);  // silently
    EXPECT_TRUE(Errors().empty());
    Call("sound_effect_echo", {5.0, 0.0, 0.0, 0.0, 0.0, 0.0});
    Call("sound_play", {-1.0});
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_NE(Errors()[0].find("Sound does not exist."), std::string::npos);
    EXPECT_EQ(Real("audio_play_sound", {0.0, 1.0, 0.0}), -1);  // the audio system is off
}

TEST_F(SoundBuiltins, WithTheAudioSystemTheOlderHandlersRest)
{
    ASSERT_TRUE(LoadToneAndMusic(true));
    EXPECT_EQ(Real("audio_system"), 1);
    Call("sound_play", {0.0});
    Call("sound_effect_echo", {0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
    EXPECT_TRUE(Errors().empty());  // no message: the older handlers rest
    EXPECT_EQ(Real("sound_isplaying", {0.0}), 0);  // answers through the older (empty) table
    Call("sound_3d_set_sound_cone", {0.0});  // runs under either system
    EXPECT_EQ(Errors().size(), 1u);
    double voice = Real("audio_play_sound", {0.0, 1.0, 0.0});
    EXPECT_EQ(voice, 200000);
    EXPECT_EQ(Real("audio_is_playing", {voice}), 1);
    EXPECT_NEAR(Real("audio_sound_length", {voice}), 1.0, 1e-4);
    Call("audio_stop_sound", {voice});
    EXPECT_EQ(Real("audio_is_playing", {voice}), 0);
    EXPECT_EQ(Real("audio_get_type", {1.0}), 1);
    EXPECT_EQ(Real("audio_exists", {2.0}), 0);
    std::vector<std::string> log;
    MCI_Log = &log;
    Call("audio_play_music", {1.0, 0.4});  // 0.4 is the integer 0: no loop
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[3].find("repeat"), std::string::npos);
    Call("audio_play_music", {1.0, 1.0});
    EXPECT_NE(log.back().find("repeat"), std::string::npos);
}

// Asking for more channels than the device has gives those it has and one line, however often.
TEST_F(SoundBuiltins, ChannelsPastTheDeviceAreOneLine)
{
    ASSERT_TRUE(LoadToneAndMusic(true));
    TCapturedWarnings warnings;
    for (int i = 0; i < 3; i++) Call("audio_channel_num", {1e6});
    size_t lines = 0;
    for (size_t at = 0; (at = warnings.text.find("Error creating audio sources", at)) != std::string::npos; at++) lines++;
    EXPECT_EQ(lines, 1u) << warnings.text;
    EXPECT_EQ(Real("audio_is_playing", {Real("audio_play_sound", {0.0, 1.0, 0.0})}), 1);
}

TEST_F(SoundBuiltins, CdBuiltinsOnTheFakeDiscAndWithout)
{
    ASSERT_TRUE(LoadToneAndMusic(false));
    MCI_SetFakeDisc(true);
    EXPECT_EQ(Real("cd_present"), 1);
    EXPECT_EQ(Real("cd_number"), 10);
    Call("cd_play", {2.0, 99.0});
    EXPECT_EQ(Real("cd_playing"), 1);
    EXPECT_EQ(Real("cd_track"), 2);
    Call("cd_set_track_position", {75500.0});
    EXPECT_EQ(Real("cd_track_position"), 75000);
    EXPECT_EQ(Text("MCI_command", {S("status cdaudio mode")}), "playing");
    Call("cd_pause");
    EXPECT_EQ(Real("cd_paused"), 1);
    EXPECT_EQ(Real("cd_track_length", {10.0}), 130000);
    MCI_SetFakeDisc(false);
    for (const char* name : {"cd_present", "cd_number", "cd_playing", "cd_paused", "cd_track", "cd_length", "cd_position", "cd_track_position"})
        EXPECT_EQ(Real(name), 0) << name;
    EXPECT_EQ(Text("MCI_command", {S("bogus")}), "");
    EXPECT_EQ(Text("MCI_command", {1.0}), "");
}

TEST_F(SoundBuiltins, HostileArgumentsAreHarmless)
{
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(200000.0), TaggedValue(2147483648.0), S("#\\#\n")};
    for (bool newAudio : {false, true}) {
        GameFile_Free();
        Sound_Free();
        ASSERT_TRUE(LoadToneAndMusic(newAudio));
        MCI_SetFakeDisc(newAudio);
        Call("audio_emitter_create");
        for (const TaggedValue& p : patterns)
            for (int id = 0; id < Function_Count(); id++) {
                const RFunction* f = Function_Get(id);
                Call(f->name, std::vector<TaggedValue>((size_t)f->argc, p));
                Sound_Tick();
            }
        // Still working afterwards.
        if (newAudio) {
            Call("audio_channel_num", {4.0});
            EXPECT_EQ(Real("audio_is_playing", {Real("audio_play_sound", {0.0, 1.0, 0.0})}), 1);
        } else {
            Call("sound_global_volume", {1.0});
            Call("sound_play", {0.0});
            EXPECT_EQ(Real("sound_isplaying", {0.0}), 1);
        }
    }
}
