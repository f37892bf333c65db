// Large tables filled at once (the list of a 100 000-message file takes
// about 20 MB) cost one page fault per 4 KB page touched; asking the system
// for 2 MB pages over them spares most of those faults.
#pragma once
#include <cstddef>
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

}  // namespace pelicard
