#include "base/LargeHeapPages.h"

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>

namespace {

// The "THPeligible" figure of the mapping that holds the address, or "" when none does.
std::string largePagesOf(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> from >> dash >> to && dash == '-' && line.find(':') > line.find(' ')) {
            inside = from <= at && at < to;
            continue;
        }
        if (inside && line.rfind("THPeligible:", 0) == 0)
            return line.substr(line.find_last_of(' ') + 1);
    }
    return {};
}

bool systemOffersLargePages() {
    std::ifstream mode("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text;
    std::getline(mode, text);
    return !text.empty() && text.find("[never]") == std::string::npos;
}

} // namespace

// A block as large as a list's buffer would otherwise get a mapping of its own in small pages.
TEST(LargeHeapPages, BlocksOfTheMainHeapMayUseLargePages) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer brings an allocator of its own";
#endif
    if (!systemOffersLargePages())
        GTEST_SKIP() << "the system offers no large pages";
    ASSERT_TRUE(LargeHeapPages::enable());
    const auto big = std::make_unique<char[]>(std::size_t(8) << 20);
    EXPECT_EQ(largePagesOf(big.get() + (std::size_t(4) << 20)), "1");
}
