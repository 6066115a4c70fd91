// The memory budget answers for what this process may take, not only for the machine.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "document/MemoryBudget.h"
#include "support/UserTask.h"

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

constexpr int64_t kMiB = 1 << 20;

}  // namespace

TEST(MemoryBudget, CgroupLimitsOfTheGroupAndTheGroupsAboveIt) {
    const testing_support::TempFolder root;
    const std::string r = root.path();
    WriteFile(r + "/memory.max", "max\n");
    WriteFile(r + "/user/memory.max", "1000000\n");
    WriteFile(r + "/user/memory.current", "400000\n");
    WriteFile(r + "/user/app/memory.max", "max\n");
    WriteFile(r + "/user/app/memory.current", "300000\n");
    WriteFile(r + "/user/tight/memory.max", "250000\n");
    WriteFile(r + "/user/tight/memory.current", "50000\n");
    WriteFile(r + "/free/memory.max", "max\n");
    // The parent's limit holds for the group below it without one.
    EXPECT_EQ(CgroupMemoryLeftBytes(r, "0::/user/app\n"), 600000);
    // The tighter of the two.
    EXPECT_EQ(CgroupMemoryLeftBytes(r, "1:name=systemd:/x\n0::/user/tight\n"), 200000);
    EXPECT_EQ(CgroupMemoryLeftBytes(r, "0::/free\n"), -1);
    EXPECT_EQ(CgroupMemoryLeftBytes(r, "4:memory:/user\n"), -1);  // no v2 line
    EXPECT_EQ(CgroupMemoryLeftBytes(r, "0::/not/there\n"), -1);
    // Negative and saturated sizes never fit.
    EXPECT_FALSE(FitsInMemory(-1));
    EXPECT_FALSE(FitsInMemory(ChainBytes(1 << 30, 1 << 20, 1 << 20)));
    EXPECT_TRUE(FitsInMemory(0));
}

TEST(MemoryBudget, AddressSpaceLimitOfTheProcess) {
    // In a child, so that the limit does not stay with the tests.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::ifstream statm("/proc/self/statm");
        long long pages = 0;
        statm >> pages;
        const int64_t used = int64_t(pages) * sysconf(_SC_PAGE_SIZE);
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = rlim_t(used + 1024 * kMiB);
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
        int failures = 0;
        failures += FitsInMemory(2048 * kMiB) ? 1 : 0;  // more than the limit leaves
        failures += FitsInMemory(900 * kMiB) ? 1 : 0;   // leaves nothing for the rest
        failures += FitsInMemory(64 * kMiB) ? 0 : 1;
        failures += ProcessMemoryLeftBytes() <= 1024 * kMiB ? 0 : 1;
        _exit(failures);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "answers that ignore the limit";
}
