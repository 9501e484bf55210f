// The resource built-ins: sprites, backgrounds, sounds and fonts (query, add from files, the
// screen or surfaces, replace, copy, merge, save, delete), and paths, scripts, time lines, objects
// and rooms (query and edit). Registered after the file family.
#pragma once
#include "Variable/Value.h"

class CInstance;

// The names and argument counts follow the data format version at the moment of registration
// (GameFileVersion): 800 and above the current set, below the older one.
void Function_Resource_Init();

// Also registered by hand where only the script engine is wanted (tests, fuzz targets).
void F_script_execute(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
