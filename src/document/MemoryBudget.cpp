#include "document/MemoryBudget.h"

#include <limits>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

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

bool FitsInMemory(int64_t bytes) {
    static const int64_t physical = PhysicalMemoryBytes();
    if (physical <= 0) return true;
    return bytes >= 0 && bytes <= physical / 4 * 3;
}

int64_t ChainBytes(int64_t n, int64_t w, int64_t h) {
    if (n <= 0 || w <= 0 || h <= 0) return 0;
    // One byte of index and four of true colour per pixel; saturates instead of wrapping.
    const int64_t perFrame = w * h * 5;
    if (perFrame > std::numeric_limits<int64_t>::max() / n)
        return std::numeric_limits<int64_t>::max();
    return perFrame * n;
}
