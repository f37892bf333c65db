// The driver shared by saving all selected messages as text and printing
// them: orders the selection, groups it as the options say, and reads each
// message with the OutputMode that combines it with its neighbours.
#pragma once
#include <cstdint>

#include "common/state.hpp"

namespace pelicard {

// How the driver reads one message (ReadMsg, which ends in MsgEnd).
using MessageReader = void (*)(State& s, std::int32_t index, OutputMode& mode);

// Stops between two messages once s.CancelRequested is set: the files and
// pages already made stay, and the end is not announced.
void BatchDriver(State& s, MessageReader read = nullptr);

}  // namespace pelicard
