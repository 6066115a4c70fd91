#include "gif/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

namespace {

namespace fs = std::filesystem;

// The file a path names once its symbolic links are followed (the path itself when it
// is no link or does not exist); empty when the links go round in circles.
std::string FollowLinks(const std::string& path) {
    fs::path p(path);
    // As many links as the kernel follows before it gives up (ELOOP).
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(p, error))) return p.string();
        const fs::path to = fs::read_symlink(p, error);
        if (error) return {};
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    return {};
}

// Creates a new file with a name no one has, beside `destination`, with `mode` as
// open(2) applies it (less the umask). Returns the descriptor, or -1.
int CreateUnique(const fs::path& destination, mode_t mode, std::string& name) {
    fs::path dir = destination.parent_path();
    if (dir.empty()) dir = ".";
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 8; ++i) suffix += kLetters[random() % (sizeof kLetters - 1)];
        const std::string candidate =
            (dir / ("." + destination.filename().string() + "." + suffix)).string();
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            name = candidate;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

}  // namespace

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {}

ReplacingFile::~ReplacingFile() {
    Abandon();
}

bool ReplacingFile::Open() {
    destination_ = FollowLinks(target_);
    if (destination_.empty()) return false;
    struct stat existing {};
    const bool replaces = stat(destination_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    // A new file gets what open(2) gives under the umask; a replaced one starts private
    // and then takes the old file's owner and mode.
    const int fd = CreateUnique(destination_, replaces ? 0600 : 0666, temporary_);
    if (fd < 0) return false;
    if (replaces) {
        // Changing the owner clears set-user-ID bits, so it goes first. A process that may
        // not give files away may still keep the group when it is one of its own.
        if (fchown(fd, existing.st_uid, existing.st_gid) != 0 &&
            fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
            // The new file stays the process's own.
        }
        if (fchmod(fd, existing.st_mode & 07777) != 0) {
            close(fd);
            Abandon();
            return false;
        }
    }
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

void ReplacingFile::Seek(int64_t position) {
    if (!ok_) return;
    if (position < 0 || fseeko(file_, off_t(position), SEEK_SET) != 0) ok_ = false;
}

bool ReplacingFile::Commit() {
    if (!file_) return false;
    if (std::fflush(file_) != 0) ok_ = false;
    if (ok_ && fsync(fileno(file_)) != 0) ok_ = false;
    if (std::fclose(file_) != 0) ok_ = false;
    file_ = nullptr;
    if (ok_ && std::rename(temporary_.c_str(), destination_.c_str()) != 0) ok_ = false;
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
