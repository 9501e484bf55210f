// The registrar of the sound built-ins and their handlers. The sound_... handlers work only while
// the older sound system is live (all but four of them); the audio_... handlers leave that to the
// audio system, which ignores them while it is off.
#include "Function/Function_Sound.h"

#include "Code/Error.h"
#include "Code/Function.h"
#include "Sound/Audio_Main.h"
#include "Sound/MCI.h"
#include "Sound/Sound_Hardware.h"
#include "Sound/Sound_Main.h"
#include "Variable/Arguments.h"

#define SOUND_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)

namespace {

// The sound of the first argument, prepared for the device; null after the run-time error.
CSound* NamedSound(const TaggedValue* args)
{
    CSound* sound = Sound_GetSound(Arg_I(args[0]));
    if (!sound) {
        Error_Show_Action("Sound does not exist.", false);
        return nullptr;
    }
    sound->GetSoundId();
    return sound;
}

// The same for the handlers that the audio system turns off.
CSound* OlderSound(const TaggedValue* args)
{
    return Audio_IsNewSystem() ? nullptr : NamedSound(args);
}

void Play(const TaggedValue* args, bool loop)
{
    CSound* sound = OlderSound(args);
    if (!sound) return;
    Sound_Play(sound->m_fileName, sound->m_hardwareId, loop);
    Sound_SetVolume(sound->m_hardwareId, sound->m_volume, 0);
}

void SetBool(TaggedValue* result, bool value) { result->SetReal(value ? 1.0 : 0.0); }

// Sound index or voice id arguments, and loop flags: true when the integer is above 0.
int Voice(const TaggedValue& a) { return Arg_I(a); }
bool Loop(const TaggedValue& a) { return Arg_I(a) > 0; }

SOUND_BUILTIN(sound_play) { Play(args, false); }
SOUND_BUILTIN(sound_loop) { Play(args, true); }

SOUND_BUILTIN(sound_stop)
{
    if (CSound* sound = OlderSound(args)) Sound_Stop(sound->m_fileName, sound->m_hardwareId);
}

SOUND_BUILTIN(sound_stop_all)
{
    if (!Audio_IsNewSystem()) Sound_StopAll();
}

SOUND_BUILTIN(sound_isplaying)
{
    CSound* sound = Sound_GetSound(Arg_I(args[0]));
    SetBool(result, sound && Sound_IsPlaying(sound->m_fileName, sound->GetSoundId()));
}

SOUND_BUILTIN(sound_volume)
{
    CSound* sound = OlderSound(args);
    if (!sound) return;
    sound->m_volume = args[1].GetReal();
    Sound_SetVolume(sound->m_hardwareId, sound->m_volume, 0);
}

SOUND_BUILTIN(sound_fade)
{
    if (CSound* sound = OlderSound(args)) Sound_SetVolume(sound->m_hardwareId, args[1].GetReal(), Arg_I(args[2]));
}

// Kept for games that call them: the pan, the tempo, the search folder and the effects change
// nothing, but the sound must exist and is loaded.
SOUND_BUILTIN(sound_pan) { OlderSound(args); }
SOUND_BUILTIN(sound_background_tempo) {}
SOUND_BUILTIN(sound_set_search_directory) {}

SOUND_BUILTIN(sound_global_volume)
{
    if (!Audio_IsNewSystem() && g_SoundHardware) g_SoundHardware->SetMasterVolume((float)args[0].GetReal());
}

SOUND_BUILTIN(sound_effect_set) { OlderSound(args); }
SOUND_BUILTIN(sound_effect_chorus) { OlderSound(args); }
SOUND_BUILTIN(sound_effect_compressor) { OlderSound(args); }
SOUND_BUILTIN(sound_effect_echo) { OlderSound(args); }
SOUND_BUILTIN(sound_effect_flanger) { OlderSound(args); }
SOUND_BUILTIN(sound_effect_gargle) { OlderSound(args); }
SOUND_BUILTIN(sound_effect_equalizer) { OlderSound(args); }
SOUND_BUILTIN(sound_effect_reverb) { OlderSound(args); }
SOUND_BUILTIN(sound_3d_set_sound_position) { OlderSound(args); }
// These three run under either system.
SOUND_BUILTIN(sound_3d_set_sound_velocity) { NamedSound(args); }
SOUND_BUILTIN(sound_3d_set_sound_distance) { NamedSound(args); }
SOUND_BUILTIN(sound_3d_set_sound_cone) { NamedSound(args); }

SOUND_BUILTIN(cd_init) { CDAudio_Init(); }
SOUND_BUILTIN(cd_present) { SetBool(result, CDAudio_IsPresent()); }
SOUND_BUILTIN(cd_number) { result->SetReal(CDAudio_GetTrackCount()); }
SOUND_BUILTIN(cd_playing) { SetBool(result, CDAudio_IsPlaying()); }
SOUND_BUILTIN(cd_paused) { SetBool(result, CDAudio_IsPaused()); }
SOUND_BUILTIN(cd_track) { result->SetReal(CDAudio_GetTrack()); }
SOUND_BUILTIN(cd_length) { result->SetReal(CDAudio_GetLength()); }
SOUND_BUILTIN(cd_track_length) { result->SetReal(CDAudio_GetTrackLength(Arg_I(args[0]))); }
SOUND_BUILTIN(cd_position) { result->SetReal(CDAudio_GetPosition()); }
SOUND_BUILTIN(cd_track_position) { result->SetReal(CDAudio_GetTrackPosition()); }
SOUND_BUILTIN(cd_play) { CDAudio_Play(Arg_I(args[0]), Arg_I(args[1])); }
SOUND_BUILTIN(cd_stop) { CDAudio_Stop(); }
SOUND_BUILTIN(cd_pause) { CDAudio_Pause(); }
SOUND_BUILTIN(cd_resume) { CDAudio_Resume(); }
SOUND_BUILTIN(cd_set_position) { CDAudio_SetPosition(Arg_I(args[0])); }
SOUND_BUILTIN(cd_set_track_position) { CDAudio_SetTrackPosition(Arg_I(args[0])); }
SOUND_BUILTIN(cd_open_door) { CDAudio_OpenDoor(); }
SOUND_BUILTIN(cd_close_door) { CDAudio_CloseDoor(); }

SOUND_BUILTIN(MCI_command)
{
    std::string reply = MCI_Command(Arg_S(args[0]));
    result->SetString(reply.c_str(), reply.size());
}

SOUND_BUILTIN(audio_listener_position) { Audio_SetListenerPosition(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2])); }
SOUND_BUILTIN(audio_listener_velocity) { Audio_SetListenerVelocity(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2])); }

SOUND_BUILTIN(audio_listener_orientation)
{
    Audio_SetListenerOrientation(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]));
}

SOUND_BUILTIN(audio_emitter_position) { Audio_SetEmitterPosition(Arg_I(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3])); }
SOUND_BUILTIN(audio_emitter_velocity) { Audio_SetEmitterVelocity(Arg_I(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3])); }
SOUND_BUILTIN(audio_system) { SetBool(result, Audio_IsNewSystem()); }
SOUND_BUILTIN(audio_emitter_create) { result->SetReal(Audio_CreateEmitter()); }
SOUND_BUILTIN(audio_emitter_free) { Audio_FreeEmitter(Arg_I(args[0])); }

SOUND_BUILTIN(audio_play_sound)
{
    result->SetReal(Audio_PlaySound(Arg_I(args[0]), args[1].GetReal(), Loop(args[2])));
}

SOUND_BUILTIN(audio_play_sound_on)
{
    result->SetReal(Audio_PlaySoundOn(Arg_I(args[0]), Arg_I(args[1]), Loop(args[2]), args[3].GetReal()));
}

SOUND_BUILTIN(audio_play_sound_at)
{
    result->SetReal(Audio_PlaySoundAt(Arg_I(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]),
                                      Arg_F(args[5]), Arg_F(args[6]), Loop(args[7]), args[8].GetReal()));
}

SOUND_BUILTIN(audio_falloff_set_model) { Audio_SetFalloffModel(Arg_I(args[0])); }
SOUND_BUILTIN(audio_stop_sound) { Audio_StopSound(Voice(args[0])); }
SOUND_BUILTIN(audio_pause_sound) { Audio_PauseSound(Voice(args[0])); }
SOUND_BUILTIN(audio_resume_sound) { Audio_ResumeSound(Voice(args[0])); }
SOUND_BUILTIN(audio_pause_all) { Audio_PauseAll(); }
SOUND_BUILTIN(audio_resume_all) { Audio_ResumeAll(); }
SOUND_BUILTIN(audio_is_playing) { SetBool(result, Audio_IsPlaying(Voice(args[0]))); }
SOUND_BUILTIN(audio_exists) { SetBool(result, Audio_Exists(Arg_I(args[0]))); }
SOUND_BUILTIN(audio_master_gain) { Audio_SetMasterGain(Arg_F(args[0])); }
SOUND_BUILTIN(audio_emitter_exists) { SetBool(result, Audio_EmitterExists(Arg_I(args[0]))); }
SOUND_BUILTIN(audio_get_type) { result->SetReal(Audio_GetType(Arg_I(args[0]))); }
SOUND_BUILTIN(audio_emitter_gain) { Audio_SetEmitterGain(Arg_I(args[0]), Arg_F(args[1])); }
SOUND_BUILTIN(audio_emitter_pitch) { Audio_SetEmitterPitch(Arg_I(args[0]), Arg_F(args[1])); }

SOUND_BUILTIN(audio_emitter_falloff)
{
    Audio_SetEmitterFalloff(Arg_I(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]));
}

SOUND_BUILTIN(audio_channel_num) { Audio_SetChannelNum(Arg_I(args[0])); }
SOUND_BUILTIN(audio_play_music) { Audio_PlayMusic(Arg_I(args[0]), Loop(args[1])); }
SOUND_BUILTIN(audio_stop_music) { Audio_StopMusic(); }
SOUND_BUILTIN(audio_pause_music) { Audio_PauseMusic(); }
SOUND_BUILTIN(audio_resume_music) { Audio_ResumeMusic(); }
SOUND_BUILTIN(audio_stop_all) { Audio_StopAll(); }
SOUND_BUILTIN(audio_sound_length) { result->SetReal(Audio_GetSoundLength(Voice(args[0]))); }

#define ENTRY FUNCTION_ENTRY

const FunctionEntry kSound[] = {
    ENTRY(sound_play, 1),
    ENTRY(sound_loop, 1),
    ENTRY(sound_stop, 1),
    ENTRY(sound_stop_all, 0),
    ENTRY(sound_isplaying, 1),
    ENTRY(sound_volume, 2),
    ENTRY(sound_fade, 3),
    ENTRY(sound_pan, 2),
    ENTRY(sound_background_tempo, 1),
    ENTRY(sound_global_volume, 1),
    ENTRY(sound_set_search_directory, 1),
    ENTRY(sound_effect_set, 2),
    ENTRY(sound_effect_chorus, 8),
    ENTRY(sound_effect_compressor, 7),
    ENTRY(sound_effect_echo, 6),
    ENTRY(sound_effect_flanger, 8),
    ENTRY(sound_effect_gargle, 3),
    ENTRY(sound_effect_equalizer, 4),
    ENTRY(sound_effect_reverb, 5),
    ENTRY(sound_3d_set_sound_position, 4),
    ENTRY(sound_3d_set_sound_velocity, 4),
    ENTRY(sound_3d_set_sound_distance, 3),
    ENTRY(sound_3d_set_sound_cone, 7),
    ENTRY(cd_init, 0),
    ENTRY(cd_present, 0),
    ENTRY(cd_number, 0),
    ENTRY(cd_playing, 0),
    ENTRY(cd_paused, 0),
    ENTRY(cd_track, 0),
    ENTRY(cd_length, 0),
    ENTRY(cd_track_length, 1),
    ENTRY(cd_position, 0),
    ENTRY(cd_track_position, 0),
    ENTRY(cd_play, 2),
    ENTRY(cd_stop, 0),
    ENTRY(cd_pause, 0),
    ENTRY(cd_resume, 0),
    ENTRY(cd_set_position, 1),
    ENTRY(cd_set_track_position, 1),
    ENTRY(cd_open_door, 0),
    ENTRY(cd_close_door, 0),
    ENTRY(MCI_command, 1),
    ENTRY(audio_listener_position, 3),
    ENTRY(audio_listener_velocity, 3),
    ENTRY(audio_listener_orientation, 6),
    ENTRY(audio_emitter_position, 4),
    ENTRY(audio_emitter_velocity, 4),
    ENTRY(audio_system, 0),
    ENTRY(audio_emitter_create, 0),
    ENTRY(audio_emitter_free, 1),
    ENTRY(audio_play_sound, 3),
    ENTRY(audio_play_sound_on, 4),
    ENTRY(audio_play_sound_at, 9),
    ENTRY(audio_falloff_set_model, 1),
    ENTRY(audio_stop_sound, 1),
    ENTRY(audio_pause_sound, 1),
    ENTRY(audio_resume_sound, 1),
    ENTRY(audio_pause_all, 0),
    ENTRY(audio_resume_all, 0),
    ENTRY(audio_is_playing, 1),
    ENTRY(audio_exists, 1),
    ENTRY(audio_master_gain, 1),
    ENTRY(audio_emitter_exists, 1),
    ENTRY(audio_get_type, 1),
    ENTRY(audio_emitter_gain, 2),
    ENTRY(audio_emitter_pitch, 2),
    ENTRY(audio_emitter_falloff, 4),
    ENTRY(audio_channel_num, 1),
    ENTRY(audio_play_music, 2),
    ENTRY(audio_stop_music, 0),
    ENTRY(audio_pause_music, 0),
    ENTRY(audio_resume_music, 0),
    ENTRY(audio_stop_all, 0),
    ENTRY(audio_sound_length, 1),
};

#undef ENTRY

}  // namespace

void Function_Sound_Init()
{
    Function_AddTable(kSound);
}
