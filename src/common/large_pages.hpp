// Large tables filled at once (the list of a 100 000-message file takes
// about 20 MB) cost one page fault per 4 KB page touched; asking the system
// for 2 MB pages over them spares most of those faults.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelicard {

// Asks for large pages over the whole 2 MB pages inside [data, data + bytes),
// before they are first touched. Only a hint: nothing changes when the system
// does not give them, and no memory outside the range is claimed.
void PreferLargePages(const void* data, std::size_t bytes);

// Gives `table` exactly `count` entries equal to `value` in new memory that
// asks for large pages (see above).
template <class T>
void AssignInLargePages(std::vector<T>& table, std::size_t count, const T& value) {
    std::vector<T>().swap(table);
    table.reserve(count);
    PreferLargePages(table.data(), count * sizeof(T));
    table.assign(count, value);
}

// While it lives, the heap grows in steps of 32 MB, and Follow() asks for
// large pages over what it has grown by since: a long listing that keeps a
// few kilobytes per message (the bodies of a Windows Mail folder) then
// touches one page per 2 MB instead of one per 4 KB. Only a hint, like
// PreferLargePages; one at a time.
class LargeHeapPages {
public:
    LargeHeapPages();
    LargeHeapPages(const LargeHeapPages&) = delete;
    LargeHeapPages& operator=(const LargeHeapPages&) = delete;
    ~LargeHeapPages();
    void Follow();

private:
    std::uintptr_t advised_ = 0;  // the heap is asked for up to here
};

}  // namespace pelicard
