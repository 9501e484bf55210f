// The sound, music and CD actions. The audio engines are not part of this runner yet: each
// action reports that sound is not available and does nothing; the questions answer 0.
#include "Function/Function_Action_Internal.h"

#include "Code/Error.h"

namespace {

void Unavailable()
{
    Error_Show_Action("Sound is not available in this runner.", false);
}

}  // namespace

void F_action_sound(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
void F_action_end_sound(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
void F_action_if_sound(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
void F_action_replace_sound(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
void F_action_cd_play(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
void F_action_cd_stop(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
void F_action_cd_pause(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
void F_action_cd_resume(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
void F_action_cd_present(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
void F_action_cd_playing(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { Unavailable(); }
