// Another process at work in a game folder, through the folder mapping's test hook: when the walk
// has checked the path `when` (letting `passes` checks of it go by), the entry `swapped` is set
// aside (renamed with ".old") and a link to `target` takes its place.
#pragma once
#include "Support/LoadSave_Place.h"

#include <filesystem>
#include <string>

struct LinkSwap {
    static inline std::string when, swapped;
    static inline std::filesystem::path target;
    static inline int passes = 0;

    static void Hook(const std::string& path)
    {
        if (when.empty() || path != when || passes-- > 0) return;
        std::filesystem::rename(swapped, swapped + ".old");
        std::filesystem::create_symlink(target, swapped);
        when.clear();
    }
    // Swaps the checked path itself.
    static void Arm(const std::filesystem::path& path, const std::filesystem::path& to, int skip = 0)
    {
        Arm(path, path, to, skip);
    }
    static void Arm(const std::filesystem::path& at, const std::filesystem::path& entry, const std::filesystem::path& to,
                    int skip = 0)
    {
        when = at.string();
        swapped = entry.string();
        target = to;
        passes = skip;
        LoadSave_CheckedHook = Hook;
    }
    // True when the swap happened.
    static bool Met() { return when.empty(); }
    static void Disarm()
    {
        when.clear();
        LoadSave_CheckedHook = nullptr;
    }
};
