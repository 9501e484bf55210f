// The sound built-ins: the older sound_... playback, effect and 3D families, the audio_...
// family of the audio system, CD audio and MCI_command.
#pragma once

// Registers the sound family in the built-in function table.
void Function_Sound_Init();
