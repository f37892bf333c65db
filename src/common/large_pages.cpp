#include "common/large_pages.hpp"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
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

#if defined(__linux__) && defined(__GLIBC__) && defined(MADV_HUGEPAGE)
namespace {
constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
// glibc's own step.
constexpr int kUsualHeapStep = 128 << 10;
constexpr int kLargeHeapStep = 32 << 20;
std::uintptr_t HeapEnd() { return reinterpret_cast<std::uintptr_t>(::sbrk(0)); }
}  // namespace

LargeHeapPages::LargeHeapPages() : advised_((HeapEnd() + kLargePage - 1) & ~(kLargePage - 1)) {
    ::mallopt(M_TOP_PAD, kLargeHeapStep);
}

LargeHeapPages::~LargeHeapPages() { ::mallopt(M_TOP_PAD, kUsualHeapStep); }

void LargeHeapPages::Follow() {
    const std::uintptr_t end = HeapEnd() & ~(kLargePage - 1);
    if (end <= advised_) return;
    (void)::madvise(reinterpret_cast<void*>(advised_), end - advised_, MADV_HUGEPAGE);
    advised_ = end;
}
#else
LargeHeapPages::LargeHeapPages() = default;
LargeHeapPages::~LargeHeapPages() = default;
void LargeHeapPages::Follow() {}
#endif

}  // namespace pelicard
