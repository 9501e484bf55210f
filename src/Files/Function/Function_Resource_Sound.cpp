// Sounds: the older sound system's table, and the audio system's for sound_exists. Adding,
// replacing, deleting, discarding and restoring act only while the older system is the game's.
#include "Function/Function_Resource_Internal.h"
#include "Variable/Arguments.h"
#include "Sound/Audio_Main.h"
#include "Sound/Sound_Main.h"

#define SOUND_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)

namespace {

CSound* SoundAt(const TaggedValue& a)
{
    return Sound_GetSound(Arg_I(a));
}

// The sound of the first argument while the older system is the game's, else null.
CSound* OlderSound(const TaggedValue& a)
{
    return Audio_IsNewSystem() ? nullptr : SoundAt(a);
}

}  // namespace

SOUND_BUILTIN(sound_exists)
{
    int index = Arg_I(args[0]);
    Resource_SetFlag(result, Audio_Exists(index) || Sound_Exists(index));
}

SOUND_BUILTIN(sound_get_name) { result->SetString(Sound_GetName(Arg_I(args[0]))); }
SOUND_BUILTIN(sound_get_kind) { Resource_Field(result, SoundAt(args[0]), [](const CSound& s) { return s.m_kind; }); }
SOUND_BUILTIN(sound_get_preload) { Resource_Field(result, SoundAt(args[0]), [](const CSound& s) { return s.m_preload; }); }

// Discarding gives the sound's sample back; restoring (or playing) loads it again.
SOUND_BUILTIN(sound_discard)
{
    if (CSound* sound = OlderSound(args[0])) sound->Release();
}

SOUND_BUILTIN(sound_restore)
{
    if (CSound* sound = OlderSound(args[0])) sound->GetSoundId();
}

// (fname, kind, preload): the new index, -1 when the file cannot be read.
SOUND_BUILTIN(sound_add)
{
    if (!Audio_IsNewSystem()) result->SetReal(Sound_AddFromFile(Arg_S(args[0]), Arg_I(args[1]), Arg_BD(args[2])));
}

// (ind, fname, kind, preload).
SOUND_BUILTIN(sound_replace)
{
    if (Audio_IsNewSystem() || !Resource_Require(Sound_Exists(Arg_I(args[0])), "Trying to replace non-existing sound.")) return;
    Resource_SetFlag(result, Sound_Replace(Arg_I(args[0]), Arg_S(args[1]), Arg_I(args[2]), Arg_BD(args[3])));
}

SOUND_BUILTIN(sound_delete)
{
    if (Audio_IsNewSystem() || !Resource_Require(Sound_Exists(Arg_I(args[0])), "Trying to delete non-existing sound.")) return;
    Resource_SetFlag(result, Sound_Delete(Arg_I(args[0])));
}
