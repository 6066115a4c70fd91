#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Writes a file without ever leaving a half-written file in place of a good one: the
// bytes go to a temporary file beside the target, every write is checked, and only a
// complete, flushed file is renamed over the target. Destroying an uncommitted file
// removes the temporary file. A target that is a symbolic link is written through it
// (the link stays); a file that is replaced keeps its mode bits and, where the process
// may, its owner and group. A new file gets the mode the umask allows, which is never
// changed (other threads create files meanwhile).
class ReplacingFile {
  public:
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file. False when that is not possible.
    bool Open();
    // The file that Commit replaces: the target, with symbolic links followed.
    const std::string& destination() const { return destination_; }
    // Appends bytes; a failure is remembered and makes Commit fail.
    void Write(const void* data, size_t size);
    // Moves the write position (for writers that go back to fill in sizes); a failure is
    // remembered as a write failure is.
    void Seek(int64_t position);
    bool ok() const { return ok_; }
    // Flushes, closes and renames over the target. False (and nothing replaced) when any
    // step or any earlier write failed.
    bool Commit();

  private:
    void Abandon();

    std::string target_;
    std::string destination_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    bool ok_ = false;
};
