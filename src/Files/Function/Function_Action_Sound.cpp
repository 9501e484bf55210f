// The actions of sound, music and CD audio, through whichever audio system the game uses.
#include "Function/Function_Action_Internal.h"

#include "Code/Error.h"
#include "Sound/Audio_Main.h"
#include "Sound/MCI.h"
#include "Sound/Sound_Main.h"
#include "Variable/Arguments.h"

namespace {

// The older system's sound of the argument; a missing one is reported with the message.
CSound* OlderSound(const TaggedValue& a, const char* missing)
{
    CSound* sound = Sound_GetSound(Arg_I(a));
    if (!sound) Error_Show_Action(missing, false);
    return sound;
}

}  // namespace

// The new system plays an ordinary sound with priority 1, a streamed one as the music; a missing
// sound does nothing there.
void F_action_sound(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    bool loop = Arg_B(args[1]);
    if (Audio_IsNewSystem()) {
        int sound = Arg_I(args[0]);
        switch (Audio_GetType(sound)) {
        case 0: Audio_PlaySound(sound, 1, loop); break;
        case 1: Audio_PlayMusic(sound, loop); break;
        default: break;
        }
    } else if (CSound* sound = OlderSound(args[0], "Trying to play non-existing sound.")) {
        Sound_Play(sound->m_fileName, sound->GetSoundId(), loop);
    }
}

void F_action_end_sound(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (Audio_IsNewSystem()) {
        int sound = Arg_I(args[0]);
        switch (Audio_GetType(sound)) {
        case 0: Audio_StopSound(sound); break;
        case 1: Audio_StopMusic(); break;
        default: break;
        }
    } else if (CSound* sound = OlderSound(args[0], "Trying to stop non-existing sound.")) {
        Sound_Stop(sound->m_fileName, sound->GetSoundId());
    }
}

// 0 for a missing sound, without a message.
void F_action_if_sound(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = Arg_I(args[0]);
    bool playing;
    if (Audio_IsNewSystem()) {
        playing = Audio_IsPlaying(index);
    } else {
        CSound* sound = Sound_GetSound(index);
        playing = sound && Sound_IsPlaying(sound->m_fileName, sound->GetSoundId());
    }
    result->SetReal(playing ? 1 : 0);
}

// The sound keeps its kind and preload flag.
void F_action_replace_sound(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = Arg_I(args[0]);
    const char* file = Arg_S(args[1]);
    CSound* sound = Sound_GetSound(index);
    if (Action_CanReplace(sound != nullptr, file)) Sound_Replace(index, file, sound->m_kind, sound->m_preload);
}

void F_action_cd_play(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CDAudio_Play(Arg_I(args[0]), Arg_I(args[1]));
}

void F_action_cd_stop(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { CDAudio_Stop(); }
void F_action_cd_pause(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { CDAudio_Pause(); }
void F_action_cd_resume(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { CDAudio_Resume(); }

void F_action_cd_present(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(CDAudio_IsPresent() ? 1 : 0);
}

void F_action_cd_playing(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(CDAudio_IsPlaying() ? 1 : 0);
}
