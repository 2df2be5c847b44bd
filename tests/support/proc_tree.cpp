#include "support/proc_tree.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>

namespace zvtest {

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The fields of /proc/PID/stat after the command, which may hold spaces and
// parentheses: everything after the last ')'. Field 3 (state) is first.
std::vector<std::string> StatFields(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t end = stat.rfind(')');
    std::vector<std::string> fields;
    if (end == std::string::npos) {
        return fields;
    }
    std::istringstream rest(stat.substr(end + 1));
    for (std::string f; rest >> f;) {
        fields.push_back(f);
    }
    return fields;
}

}  // namespace

std::vector<pid_t> ProcessTree(pid_t root) {
    std::multimap<pid_t, pid_t> children;
    if (DIR* dir = opendir("/proc")) {
        while (dirent* e = readdir(dir)) {
            const pid_t pid = static_cast<pid_t>(std::atoi(e->d_name));
            if (pid <= 0) {
                continue;
            }
            const auto fields = StatFields(pid);
            if (fields.size() > 1) {
                children.emplace(static_cast<pid_t>(std::atoi(fields[1].c_str())), pid);
            }
        }
        closedir(dir);
    }
    std::vector<pid_t> tree{root};
    for (size_t i = 0; i < tree.size(); ++i) {
        const auto [from, to] = children.equal_range(tree[i]);
        for (auto it = from; it != to; ++it) {
            tree.push_back(it->second);
        }
    }
    return tree;
}

std::string ProcessName(pid_t pid) {
    std::string name = ReadFile("/proc/" + std::to_string(pid) + "/comm");
    while (!name.empty() && name.back() == '\n') {
        name.pop_back();
    }
    return name;
}

double ProcessCpuSeconds(pid_t pid) {
    const auto fields = StatFields(pid);
    // utime and stime are fields 14 and 15 of the whole line.
    if (fields.size() < 13) {
        return 0;
    }
    const double ticks = std::atof(fields[11].c_str()) + std::atof(fields[12].c_str());
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

namespace {

// The sum of the smaps_rollup fields named `keys` (each "Name:"), in KiB.
long RollupKiB(pid_t pid, std::initializer_list<const char*> keys) {
    std::istringstream rollup(ReadFile("/proc/" + std::to_string(pid) + "/smaps_rollup"));
    long total = 0;
    for (std::string line; std::getline(rollup, line);) {
        for (const char* key : keys) {
            const size_t length = std::strlen(key);
            if (line.compare(0, length, key) == 0) {
                total += std::atol(line.c_str() + length);
            }
        }
    }
    return total;
}

}  // namespace

long ProcessPssKiB(pid_t pid) {
    return RollupKiB(pid, {"Pss:"});
}

long ProcessAnonymousKiB(pid_t pid) {
    return RollupKiB(pid, {"Anonymous:"});
}

std::vector<std::string> ThreadNames(pid_t pid) {
    std::vector<std::string> names;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        std::string name = ReadFile(tasks + "/" + entry->d_name + "/comm");
        if (!name.empty() && name.back() == '\n') {
            name.pop_back();
        }
        if (!name.empty()) {
            names.push_back(name);
        }
    }
    closedir(dir);
    return names;
}

bool ProcessMaps(pid_t pid, const std::string& part) {
    std::istringstream maps(ReadFile("/proc/" + std::to_string(pid) + "/maps"));
    for (std::string line; std::getline(maps, line);) {
        // The path is the sixth field; anonymous mappings have none.
        const size_t slash = line.find('/');
        if (slash != std::string::npos && line.find(part, slash) != std::string::npos) {
            return true;
        }
    }
    return false;
}

double TreeCpuSeconds(pid_t root) {
    double total = 0;
    for (const pid_t pid : ProcessTree(root)) {
        total += ProcessCpuSeconds(pid);
    }
    return total;
}

long TreePssKiB(pid_t root) {
    long total = 0;
    for (const pid_t pid : ProcessTree(root)) {
        total += ProcessPssKiB(pid);
    }
    return total;
}

long TreeAnonymousKiB(pid_t root) {
    long total = 0;
    for (const pid_t pid : ProcessTree(root)) {
        total += ProcessAnonymousKiB(pid);
    }
    return total;
}

}  // namespace zvtest
