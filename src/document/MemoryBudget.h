#pragma once

#include <cstdint>

// Memory is promised before it is touched, so a chain of frames far larger than the
// machine would be allocated "successfully" and the system would kill the program once
// it is filled. Builders of large chains ask first and treat a no as a failed allocation.

// The machine's physical memory in bytes (0 when it cannot be told).
int64_t PhysicalMemoryBytes();

// True when `bytes` more fit in three quarters of the physical memory (always true when
// that is unknown).
bool FitsInMemory(int64_t bytes);

// Bytes of a chain of n frames of w x h with index and true-colour planes.
int64_t ChainBytes(int64_t n, int64_t w, int64_t h);
