#include "startup_paths.h"

StartupPaths StartupPaths::For(const std::string& executablePath) {
    StartupPaths p;
    const size_t cut = executablePath.rfind('/');
    p.executableFolder = cut == std::string::npos ? executablePath : executablePath.substr(0, cut);
    p.packagePath = p.executableFolder + "/Zelvio.dat";
    const size_t parent = p.executableFolder.rfind('/');
    if (parent != std::string::npos) {
        p.updaterPath = p.executableFolder.substr(0, parent) + "/ZvUpdator/zvupdate";
    }
    return p;
}
