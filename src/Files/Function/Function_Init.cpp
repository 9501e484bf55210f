#include "Function/Function_Init.h"
#include "Function/Function_Action.h"
#include "Function/Function_D3D.h"
#include "Function/Function_DataStructures.h"
#include "Function/Function_DPlay.h"
#include "Function/Function_Date.h"
#include "Function/Function_File.h"
#include "Function/Function_Game.h"
#include "Function/Function_Graphics.h"
#include "Function/Function_Http.h"
#include "Function/Function_Interaction.h"
#include "Function/Function_Math.h"
#include "Function/Function_Misc.h"
#include "Function/Function_Particle.h"
#include "Function/Function_Physics.h"
#include "Function/Function_Resource.h"
#include "Function/Function_Sound.h"
#include "Function/Quenby_Functions.h"

// Families follow this order: game, math and strings, graphics, action, files, resources,
// interaction, d3d, particles, miscellaneous and dates, data structures, sound, multiplayer,
// physics, platform. A family not written yet simply has no entry.
void Function_Init()
{
    static bool done = false;
    if (done) return;
    done = true;
    Function_Game_Init();
    Function_Math_Init();
    Function_Graphics_Init();
    Function_Action_Init();
    Function_File_Init();
    Function_Http_Init();
    Function_Resource_Init();
    Function_Interaction_Init();
    Function_D3D_Init();
    Function_Particle_Init();
    Function_Misc_Init();
    Function_Date_Init();
    Function_DataStructures_Init();
    Function_Sound_Init();
    Function_DPlay_Init();
    Function_Physics_Init();
    Quenby_Functions_Init();
}
