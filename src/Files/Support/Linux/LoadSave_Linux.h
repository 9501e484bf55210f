// The POSIX half of the folder mapping.
#pragma once
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
