// Loops split between two threads: every step runs once, and a fault comes
// back as the plain loop would give it.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/two_threads.hpp"

namespace pelicard {
namespace {

TEST(TwoThreads, EveryStepRunsOnceWhateverTheRange) {
    struct Case {
        std::int64_t from, to, fewest;
        bool split;  // the upper half ran elsewhere
    };
    for (const Case c : {Case{1, 0, 1, false}, Case{5, 5, 1, false}, Case{1, 2, 1, true}, Case{1, 7, 8, false},
                         Case{1, 8, 8, true}, Case{-3, 20000, 100, true}}) {
        std::vector<std::atomic<int>> runs(static_cast<std::size_t>(c.to - c.from + 1 > 0 ? c.to - c.from + 1 : 0));
        std::vector<std::thread::id> by(runs.size());
        ForEachOnTwoThreads(c.from, c.to, c.fewest, [&](std::int64_t i) {
            ++runs[static_cast<std::size_t>(i - c.from)];
            by[static_cast<std::size_t>(i - c.from)] = std::this_thread::get_id();
        });
        for (std::size_t k = 0; k < runs.size(); ++k) EXPECT_EQ(runs[k], 1) << c.from << ".." << c.to << " at " << k;
        if (runs.empty()) continue;
        EXPECT_EQ(by.front(), std::this_thread::get_id());
        EXPECT_EQ(by.back() != std::this_thread::get_id(), c.split) << c.from << ".." << c.to;
    }
}

// The lower half's fault wins, as in the plain loop, which would meet it
// first; the upper half's comes back when the lower one has none. Both
// halves end before it is rethrown.
TEST(TwoThreads, TheFirstFaultInLoopOrderComesBack) {
    struct Case {
        std::int64_t failLow, failHigh;  // 0 for none
        const char* expected;
    };
    for (const Case c : {Case{0, 0, ""}, Case{10, 0, "10"}, Case{0, 90, "90"}, Case{10, 90, "10"}}) {
        std::atomic<int> done{0};
        std::string got;
        try {
            ForEachOnTwoThreads(1, 100, 2, [&](std::int64_t i) {
                if (i == c.failLow || i == c.failHigh) throw std::runtime_error(std::to_string(i));
                ++done;
            });
        } catch (const std::runtime_error& e) {
            got = e.what();
        }
        EXPECT_EQ(got, c.expected);
        // Each half stops at its own fault: what was done is all there is.
        const int expectedDone = 100 - (c.failLow ? 50 - c.failLow + 1 : 0) - (c.failHigh ? 100 - c.failHigh + 1 : 0);
        EXPECT_EQ(done, expectedDone) << c.expected;
    }
}

}  // namespace
}  // namespace pelicard
