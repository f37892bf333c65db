// The sample stores beside the project, read as the program reads them.
#pragma once
#include <functional>

#include "common/state.hpp"

namespace pelicard::testing {

// Each sample folder file in turn: opened, walked and listed in `s`, then
// handed to `visit`, then closed. Fails the test when one cannot be opened.
void ForEachSampleDbx(State& s, const std::function<void()>& visit);

}  // namespace pelicard::testing
