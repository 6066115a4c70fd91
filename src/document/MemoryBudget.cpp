#include "document/MemoryBudget.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// The first number in a file, or -1 when there is none ("max" included).
int64_t ReadNumber(const std::string& path) {
    std::ifstream in(path);
    long long value = -1;
    if (!(in >> value) || value < 0) return -1;
    return int64_t(value);
}

// The least that the limits of the group at `path` below `root` and of the groups above
// it leave, reading `limitFile` and `usageFile` in each; -1 when none has a limit.
int64_t LeftUnderGroupLimits(const std::string& root, std::string path,
                             const std::string& limitFile, const std::string& usageFile) {
    // Limits this large stand for "none" (cgroup v1 writes the page-rounded maximum).
    constexpr int64_t kNoLimit = int64_t(1) << 60;
    int64_t left = -1;
    for (;;) {
        const std::string dir = root + path + (path.empty() || path.back() != '/' ? "/" : "");
        const int64_t limit = ReadNumber(dir + limitFile);
        if (limit >= 0 && limit < kNoLimit) {
            const int64_t used = std::max<int64_t>(0, ReadNumber(dir + usageFile));
            const int64_t here = std::max<int64_t>(0, limit - used);
            left = left < 0 ? here : std::min(left, here);
        }
        if (path.empty() || path == "/") break;
        const size_t slash = path.find_last_of('/');
        path = slash == std::string::npos ? std::string() : path.substr(0, slash);
    }
    return left;
}

int64_t Least(int64_t a, int64_t b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return std::min(a, b);
}

#if !defined(_WIN32)
// Address space left under RLIMIT_AS; -1 when there is no limit.
int64_t AddressSpaceLeftBytes() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return -1;
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (!(statm >> pages) || pageSize <= 0) return -1;
    const int64_t used = int64_t(pages) * int64_t(pageSize);
    const int64_t cap = int64_t(std::min<rlim_t>(limit.rlim_cur, rlim_t(INT64_MAX)));
    return std::max<int64_t>(0, cap - used);
}

// Memory left under the cgroup v1 memory controller's limits.
int64_t CgroupV1MemoryLeftBytes(const std::string& cgroupLines) {
    std::istringstream lines(cgroupLines);
    std::string line;
    while (std::getline(lines, line)) {
        // "4:memory:/path" (the controller list may name several).
        const size_t first = line.find(':');
        const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) continue;
        const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
        if (controllers.find(",memory,") == std::string::npos) continue;
        return LeftUnderGroupLimits("/sys/fs/cgroup/memory", line.substr(second + 1),
                                    "memory.limit_in_bytes", "memory.usage_in_bytes");
    }
    return -1;
}
#endif

}  // namespace

int64_t PhysicalMemoryBytes() {
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? int64_t(status.ullTotalPhys) : 0;
#else
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return int64_t(pages) * int64_t(pageSize);
#endif
}

int64_t CgroupMemoryLeftBytes(const std::string& root, const std::string& cgroupLines) {
    std::istringstream lines(cgroupLines);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("0::", 0) == 0)
            return LeftUnderGroupLimits(root, line.substr(3), "memory.max", "memory.current");
    }
    return -1;
}

int64_t ProcessMemoryLeftBytes() {
#if defined(_WIN32)
    return -1;
#else
    std::ifstream in("/proc/self/cgroup");
    const std::string lines((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int64_t left = AddressSpaceLeftBytes();
    left = Least(left, CgroupMemoryLeftBytes("/sys/fs/cgroup", lines));
    left = Least(left, CgroupV1MemoryLeftBytes(lines));
    return left;
#endif
}

bool FitsInMemory(int64_t bytes) {
    if (bytes < 0) return false;
    static const int64_t physical = PhysicalMemoryBytes();
    if (physical > 0 && bytes > physical / 4 * 3) return false;
    // A quarter of what is left stays for everything else the program does meanwhile.
    const int64_t left = ProcessMemoryLeftBytes();
    return left < 0 || bytes <= left / 4 * 3;
}

int64_t ChainBytes(int64_t n, int64_t w, int64_t h) {
    if (n <= 0 || w <= 0 || h <= 0) return 0;
    // One byte of index and four of true colour per pixel; saturates instead of wrapping.
    const int64_t perFrame = w * h * 5;
    if (perFrame > std::numeric_limits<int64_t>::max() / n)
        return std::numeric_limits<int64_t>::max();
    return perFrame * n;
}
