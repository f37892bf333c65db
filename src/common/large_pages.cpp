#include "common/large_pages.hpp"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pelicard {

void PreferLargePages(const void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    if (data == nullptr || bytes < kLarge || start > UINTPTR_MAX - bytes) return;
    const std::uintptr_t from = (start + kLarge - 1) & ~(kLarge - 1);
    const std::uintptr_t to = (start + bytes) & ~(kLarge - 1);
    // A refusal (no such pages on this system) leaves the memory as it was.
    if (to > from) (void)::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace pelicard
