// The high-score table: ten places of name and score, best first, kept in "hiscore.dat" in the
// save folder (format in docs/hiscore.md).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

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

// How the window that shows the table would look, as games set it. Nothing shows the window on
// this platform, so the settings are only kept; an empty text is none.
struct HighScoreLook {
    int background = -1;  // a background index, -1 for none
    bool border = true;
    int back_colour = 0xFFFFFF, new_colour = 0x0000FF, other_colour = 0x000000;
    std::string font_name;
    int font_size = 0;
    std::string caption = "Top Ten Players";
    std::string close_hint = "press <Escape> to close";
};
const HighScoreLook& HighScore_Look();
void HighScore_SetBackground(int background);
void HighScore_SetBorder(bool shown);
void HighScore_SetColours(int back, int fresh, int other);
void HighScore_SetFont(const char* name, int size);
// The caption, the name HighScore_Clear writes and the close hint; null or "" for none.
void HighScore_SetStrings(const char* caption, const char* emptyName, const char* closeHint);
// The name HighScore_Clear writes ("<nobody>" by default; null or "" for none).
void HighScore_SetEmptyName(const char* name);

// Reads "hiscore.dat"; a missing or damaged file leaves a cleared table.
void HighScore_Load();
bool HighScore_Save();

// The file image of the table, and reading one back (false, table unchanged, when damaged).
size_t HighScore_Encode(uint8_t** bytes);
bool HighScore_Decode(const uint8_t* bytes, size_t size);
