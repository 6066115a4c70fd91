#include "gif/ReplacingFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {}

ReplacingFile::~ReplacingFile() {
    Abandon();
}

bool ReplacingFile::Open() {
    const std::filesystem::path target(target_);
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    temporary_ = pattern;
    // mkstemp makes the file private; give it the mode a newly created file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        close(fd);
        Abandon();
        return false;
    }
    ok_ = true;
    return true;
}

void ReplacingFile::Write(const void* data, size_t size) {
    if (!ok_ || size == 0) return;
    if (std::fwrite(data, 1, size, file_) != size) ok_ = false;
}

bool ReplacingFile::Commit() {
    if (!file_) return false;
    if (std::fflush(file_) != 0) ok_ = false;
    if (ok_ && fsync(fileno(file_)) != 0) ok_ = false;
    if (std::fclose(file_) != 0) ok_ = false;
    file_ = nullptr;
    if (ok_ && std::rename(temporary_.c_str(), target_.c_str()) != 0) ok_ = false;
    if (!ok_) {
        Abandon();
        return false;
    }
    temporary_.clear();
    return true;
}

void ReplacingFile::Abandon() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
    ok_ = false;
}
