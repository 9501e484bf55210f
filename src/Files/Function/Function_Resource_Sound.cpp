// Sounds: not available yet. Each handler says so and gives the failure value.
#include "Function/Function_Resource_Internal.h"
#include "Code/Error.h"

#define SOUND_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)

namespace {
void Unavailable(TaggedValue* result, double value)
{
    Error_Show_Action("Sound resources are not available.", false);
    result->SetReal(value);
}
}  // namespace

SOUND_BUILTIN(sound_exists) { Unavailable(result, 0.0); }
SOUND_BUILTIN(sound_get_name)
{
    Error_Show_Action("Sound resources are not available.", false);
    result->SetString("<undefined>");
}
SOUND_BUILTIN(sound_get_kind) { Unavailable(result, -1.0); }
SOUND_BUILTIN(sound_get_preload) { Unavailable(result, -1.0); }
SOUND_BUILTIN(sound_discard) { Unavailable(result, 0.0); }
SOUND_BUILTIN(sound_restore) { Unavailable(result, 0.0); }
SOUND_BUILTIN(sound_add) { Unavailable(result, -1.0); }
SOUND_BUILTIN(sound_replace) { Unavailable(result, 0.0); }
SOUND_BUILTIN(sound_delete) { Unavailable(result, 0.0); }
