// Work split between this thread and a second one, for loops whose steps
// touch nothing the other steps touch: the results are those of the plain
// loop, whatever the timing.
#pragma once
#include <algorithm>
#include <cstdint>
#include <exception>
#include <system_error>
#include <thread>

namespace pelicard {

// Runs body(i) for every i of [from, to]: the upper half on a second thread
// when there are at least `fewest` steps (and at least two), every step here
// otherwise or when no thread can be started. The first exception of the
// lower half, or else of the upper half, is rethrown once both halves are
// done.
template <class Body>
void ForEachOnTwoThreads(std::int64_t from, std::int64_t to, std::int64_t fewest, Body&& body) {
    if (to < from) return;
    const std::int64_t mid = from + (to - from + 1) / 2;
    std::exception_ptr upperFault;
    std::thread upper;
    if (to - from + 1 >= std::max<std::int64_t>(fewest, 2)) {
        try {
            upper = std::thread([&] {
                try {
                    for (std::int64_t i = mid; i <= to; ++i) body(i);
                } catch (...) {
                    upperFault = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No second thread: the loop runs here whole.
        }
    }
    const std::int64_t last = upper.joinable() ? mid - 1 : to;
    try {
        for (std::int64_t i = from; i <= last; ++i) body(i);
    } catch (...) {
        if (upper.joinable()) upper.join();
        throw;
    }
    if (upper.joinable()) upper.join();
    if (upperFault) std::rethrow_exception(upperFault);
}

}  // namespace pelicard
