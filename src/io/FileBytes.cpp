#include "io/FileBytes.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include <unistd.h>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes) {
    out.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file.get());
    if (size < 0 || uint64_t(size) > maxBytes) return false;
    if (std::fseek(file.get(), 0, SEEK_SET) != 0) return false;
    out.resize(size_t(size));
    if (size > 0 && std::fread(out.data(), 1, out.size(), file.get()) != out.size()) {
        out.clear();
        return false;
    }
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string temporary = path + ".velmora-" + std::to_string(getpid()) + ".tmp";
    {
        FilePtr file(std::fopen(temporary.c_str(), "wb"));
        if (!file) return false;
        bool ok =
            bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
        ok = ok && std::fflush(file.get()) == 0;
        if (std::fclose(file.release()) != 0) ok = false;
        if (!ok) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
