#pragma once
// Well-known folders and files of the process.
#include <string>

namespace zv {

// Per-user data folder (g_get_user_data_dir(), usually ~/.local/share).
std::string DataFolder();

// Absolute path of the running executable (/proc/self/exe), and its folder.
std::string ExecutablePath();
std::string ExecutableFolder();

// Folder for temporary files (g_get_tmp_dir()).
std::string TempFolder();

// Creates the folder and its parents (mode 0700 for new ones); true when it
// exists afterwards.
bool EnsureFolder(const std::string& path);

// Joins two path pieces with exactly one '/'.
std::string JoinPath(const std::string& a, const std::string& b);

}  // namespace zv
