#pragma once
#include <cstdint>

#include "common/state.hpp"

namespace pelicard {

// On every hundredth item the bar grows by 5, starting again from 0 past 100.
void AdvanceProgress(State& s, std::int64_t i);

}  // namespace pelicard
