#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whole-file reading with a size cap, and writing that never leaves a half-written file
// in place of a good one.

// Reads the file into `out`. False when it cannot be opened or read, or is larger than
// maxBytes.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes);

// Writes bytes to a temporary file beside `path`, checks every step, then renames it
// over `path`. False (and `path` untouched) on any failure.
bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes);

// Little-endian readers over a byte span; the caller checks the bounds.
inline uint16_t ReadLe16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
