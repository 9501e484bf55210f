// The high-score table: ten places of name and score, best first, kept in "hiscore.dat" in the
// save folder (format in docs/hiscore.md).
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int HIGHSCORE_PLACES = 10;

// Every place gets the empty-place name and score 0; the table is saved.
void HighScore_Clear();
// Inserts below the places with an equal or better score; a score below all ten is dropped.
void HighScore_Add(const char* name, int score);
// Place 1..10; 0 outside.
int HighScore_GetValue(int place);
// The name of place 1..10 (shared storage, null when the place has no name); false outside.
bool HighScore_GetName(const char** name, int place);
// Showing the table is not a separate window on this platform.
void HighScore_Show(int score);
// The name HighScore_Clear writes ("<nobody>" by default; null or "" for none).
void HighScore_SetEmptyName(const char* name);

// Reads "hiscore.dat"; a missing or damaged file leaves a cleared table.
void HighScore_Load();
bool HighScore_Save();

// The file image of the table, and reading one back (false, table unchanged, when damaged).
size_t HighScore_Encode(uint8_t** bytes);
bool HighScore_Decode(const uint8_t* bytes, size_t size);
