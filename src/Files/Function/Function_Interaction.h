// The interaction built-ins: messages, questions, prompts and file dialogs (also asynchronous),
// the splash screens, the high-score table, and the keyboard, mouse and joysticks.
#pragma once

#include "Code/Function.h"

void Function_Interaction_Init();

// The message and question built-ins, which the message and question actions share.
void F_show_message(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_show_question(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
// Also behind the video action.
void F_show_video(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);

// The presentation back ends of the splash and show built-ins and of action_show_video. Nothing is
// shown on this platform; a file that cannot be found through the folder mapping fails.
bool Splash_ShowVideo(const char* file, bool loop);
bool Splash_ShowImage(const char* file, int delay);
bool Splash_ShowText(const char* file, int delay);
