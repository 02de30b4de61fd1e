#include "shell/platform/Memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace qd {

void AdviseHugePages(void* data, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePage = std::uintptr_t {2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
    if (last <= first)
        return;
    // A refusal (no huge pages on this system) leaves ordinary pages, which
    // serve as well, only slower.
    ::madvise(static_cast<char*>(data) + (first - start), last - first, MADV_HUGEPAGE);
#else
    static_cast<void>(data);
    static_cast<void>(bytes);
#endif
}

}  // namespace qd
