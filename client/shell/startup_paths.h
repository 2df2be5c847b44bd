#pragma once
// Where the client finds its package and the updater, from the path of its
// own executable.
#include <string>

struct StartupPaths {
    std::string executableFolder;  // the path cut at its last '/'
    std::string packagePath;       // <executable folder>/Zelvio.dat
    // <parent of the executable folder>/ZvUpdator/zvupdate; empty when the
    // executable folder has no parent (an executable in "/").
    std::string updaterPath;

    static StartupPaths For(const std::string& executablePath);
};
