// Loops split between two threads: every step runs once, and the first
// fault in loop order comes back once both halves are done.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/two_threads.hpp"

namespace pelicard {
namespace {

TEST(TwoThreads, EveryStepOnceAndTheFirstFaultInLoopOrder) {
    struct Case {
        std::int64_t from, to, fewest, failLow, failHigh;  // fail*: a step that throws, 0 for none
        bool split;                                       // the last step ran on the other thread
        const char* fault;
    };
    for (const Case c : {Case{1, 0, 1, 0, 0, false, ""}, Case{5, 5, 1, 0, 0, false, ""}, Case{1, 2, 1, 0, 0, true, ""},
                         Case{1, 7, 8, 0, 0, false, ""}, Case{-3, 20000, 8, 0, 0, true, ""},
                         Case{1, 100, 2, 10, 0, true, "10"}, Case{1, 100, 2, 0, 90, true, "90"},
                         Case{1, 100, 2, 10, 90, true, "10"}}) {
        const auto steps = static_cast<std::size_t>(std::max<std::int64_t>(c.to - c.from + 1, 0));
        std::vector<std::atomic<int>> runs(steps);
        std::vector<std::thread::id> by(steps);
        std::string fault;
        try {
            ForEachOnTwoThreads(c.from, c.to, c.fewest, [&](std::int64_t i) {
                if ((c.failLow && i == c.failLow) || (c.failHigh && i == c.failHigh)) throw std::runtime_error(std::to_string(i));
                ++runs[static_cast<std::size_t>(i - c.from)];
                by[static_cast<std::size_t>(i - c.from)] = std::this_thread::get_id();
            });
        } catch (const std::runtime_error& e) {
            fault = e.what();
        }
        const std::string name = std::to_string(c.from) + ".." + std::to_string(c.to);
        EXPECT_EQ(fault, c.fault) << name;
        // Each half stops at its own fault; every other step ran once.
        const std::int64_t mid = c.from + (c.to - c.from + 1) / 2;
        for (std::int64_t i = c.from; i <= c.to; ++i) {
            const bool stopped = (c.failLow && i >= c.failLow && i < mid) || (c.failHigh && i >= c.failHigh);
            EXPECT_EQ(runs[static_cast<std::size_t>(i - c.from)], stopped ? 0 : 1) << name << " at " << i;
        }
        if (steps == 0 || c.fault[0]) continue;
        EXPECT_EQ(by.front(), std::this_thread::get_id()) << name;
        EXPECT_EQ(by.back() != std::this_thread::get_id(), c.split) << name;
    }
}

}  // namespace
}  // namespace pelicard
