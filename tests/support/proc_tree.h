#pragma once
// A process and everything it started, read from /proc: for the figures of
// a program that spreads over helper processes (the web pages' processes).
#include <sys/types.h>

#include <string>
#include <vector>

namespace zvtest {

// `root` and its descendants that are alive now (root first).
std::vector<pid_t> ProcessTree(pid_t root);

// The command name of a process (/proc/PID/comm); empty when it is gone.
std::string ProcessName(pid_t pid);

// User + system CPU seconds a process has used so far; 0 when it is gone.
double ProcessCpuSeconds(pid_t pid);

// Proportional set size of a process in KiB (smaps_rollup); 0 when gone.
long ProcessPssKiB(pid_t pid);

// Anonymous memory of a process (heap, stacks, anonymous mappings) in KiB,
// where a leak shows: unlike PSS or private pages it does not change when
// other programs mapping the same libraries start or end; 0 when gone.
long ProcessAnonymousKiB(pid_t pid);

// The names of a process's threads (/proc/PID/task/*/comm); empty when gone.
std::vector<std::string> ThreadNames(pid_t pid);

// Whether a file whose path contains `part` is mapped into a process now
// (/proc/PID/maps): which libraries it has loaded.
bool ProcessMaps(pid_t pid, const std::string& part);

// Sums over a tree taken now.
double TreeCpuSeconds(pid_t root);
long TreePssKiB(pid_t root);
long TreeAnonymousKiB(pid_t root);

}  // namespace zvtest
