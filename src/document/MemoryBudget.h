#pragma once

#include <cstdint>
#include <string>

// Memory is promised before it is touched, so a chain of frames far larger than the
// machine would be allocated "successfully" and the system would kill the program once
// it is filled. Builders of large chains ask first and treat a no as a failed allocation.

// The machine's physical memory in bytes (0 when it cannot be told).
int64_t PhysicalMemoryBytes();

// What the process may still take under its own limits, in bytes, or -1 when it has
// none: the address space left under RLIMIT_AS, and the memory left under the limit of
// its control group and of every group above it (cgroup v2 memory.max, v1
// memory.limit_in_bytes).
int64_t ProcessMemoryLeftBytes();

// The same from the files of a cgroup v2 hierarchy mounted at `root`, for a process whose
// /proc/self/cgroup reads `cgroupLines`; -1 when no group on the path has a limit.
int64_t CgroupMemoryLeftBytes(const std::string& root, const std::string& cgroupLines);

// True when `bytes` more fit in three quarters of the physical memory and in three
// quarters of what the process's own limits leave (always true when nothing is known).
bool FitsInMemory(int64_t bytes);

// Bytes of a chain of n frames of w x h with index and true-colour planes.
int64_t ChainBytes(int64_t n, int64_t w, int64_t h);
