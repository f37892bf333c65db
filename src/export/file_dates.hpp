// The date a written file carries: the message's date, the one the list
// shows, so that a folder sorted by date lists the files as the messages.
#pragma once
#include <cstdint>

#include "common/state.hpp"

namespace pelicard {

// The list's date of entry `index` as a Unix time (the list shows local
// time, read back through the time-zone port); false when it has none.
bool MessageUnixTime(State& s, std::int32_t index, std::int64_t& out);

}  // namespace pelicard
