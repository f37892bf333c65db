// The driver shared by saving all selected messages as text and printing
// them: orders the selection, groups it as the options say, and reads each
// message with the OutputMode that combines it with its neighbours.
#pragma once
#include "common/state.hpp"

namespace pelicard {

void BatchDriver(State& s);

}  // namespace pelicard
