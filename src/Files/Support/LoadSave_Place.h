// The folder mapping's checked paths and places, done by its POSIX half.
#pragma once
#include "Support/LoadSave.h"

#include <cstdint>
#include <string>
#include <vector>

// $XDG_DATA_HOME when it is absolute, else $HOME/.local/share, without a trailing "/".
std::string LoadSave_DataHome();
// The current directory with a trailing "/", or "" when it cannot be read.
std::string LoadSave_CurrentFolder();
// The canonical form of an existing folder (else the path as given) with a trailing "/".
std::string LoadSave_CanonicalFolder(const std::string& path);
// Joins the components under `root` (which ends in "/"), taking for each missing component a
// case-insensitive match from its folder; false when a symbolic link on the way leads out of root.
bool LoadSave_Resolve(const std::string& root, const std::vector<std::string>& components, std::string& out);

// Splits a path at "/" and folds "." and ".."; false when ".." would leave the start.
bool LoadSave_Components(const std::string& path, std::vector<std::string>& out);

// Working along a checked path: each component is opened relative to the folder before it and
// never through a link, so that a folder swapped for a link between the check and the operation
// is refused, not followed. A link on the way is read here and followed only while it stays
// inside root; a component missing as written is looked up ignoring case.

// Where an operation on a checked name happens: an open folder and the name of an entry in it.
struct LoadSavePlace {
    int folder = -1;
    std::string name;
    LoadSavePlace() = default;
    LoadSavePlace(const LoadSavePlace&) = delete;
    LoadSavePlace& operator=(const LoadSavePlace&) = delete;
    ~LoadSavePlace();
};

// The place of the last component under root: links on the way are followed as above (the last
// component's only with followLast); with create, root and the missing folders are made. False
// for no components.
bool LoadSave_PlaceBeneath(const std::string& root, const std::vector<std::string>& components, bool create,
                           bool followLast, LoadSavePlace* out);
// The place of a full path a file dialog returned: its folder opened by path (made with create).
bool LoadSave_PlaceOfPath(const std::string& path, bool create, LoadSavePlace* out);

// The operations on a place. None follows a link in the place's own name unless said.
//
// Writes a whole file there (File_WriteWholeAt).
bool LoadSave_WriteAt(const LoadSavePlace& place, const void* bytes, int64_t size);
// True when a file may be written there: an existing entry is a regular file that may be changed,
// in a folder that takes new files; a missing one is made empty at once. *existed tells which.
bool LoadSave_PrepareAt(const LoadSavePlace& place, bool* existed);
// Deletes the entry, unless it is a folder.
bool LoadSave_DeleteAt(const LoadSavePlace& place);
// Moves an entry to another place; false, changing nothing, when that name is taken.
bool LoadSave_RenameAt(const LoadSavePlace& from, const LoadSavePlace& to);
// Makes a folder there; true when one is there afterwards.
bool LoadSave_MakeFolderAt(const LoadSavePlace& place);
// What the entry is (through a link in its name when follow); false when missing or a link.
// Leaves info->name alone.
bool LoadSave_StatAt(const LoadSavePlace& place, bool follow, LoadSaveInfo* info);
// The names in the folder the components name under root (root itself for none), except "."
// and ".." and the runner's temporary files, sorted ignoring ASCII case; false when it cannot be
// read.
bool LoadSave_ListBeneath(const std::string& root, const std::vector<std::string>& components,
                          std::vector<std::string>& names);
// Called with each path below root once it has been checked and before it is opened or worked on
// (tests widen the window there).
extern void (*LoadSave_CheckedHook)(const std::string& path);
