// The POSIX half of the folder mapping.
#pragma once
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

// Opening along a checked path: each component is opened relative to the folder before it and
// never through a link, so that a folder swapped for a link between the check and the open is
// refused, not followed. A link on the way is read here and followed only while it stays inside
// root; a component missing as written is looked up ignoring case.
//
// The regular file the components name under root, for reading: a descriptor, or -1.
int LoadSave_OpenBeneath(const std::string& root, const std::vector<std::string>& components);
// Writes a whole file there (File_WriteWholeAt), creating root and the missing folders.
bool LoadSave_WriteBeneath(const std::string& root, const std::vector<std::string>& components, const void* bytes,
                           int64_t size);
// Called with each path below root once it has been checked and before it is opened (tests
// widen the window there).
extern void (*LoadSave_CheckedHook)(const std::string& path);
