#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include "common/state.hpp"
namespace pelicard {
// Writes or prints the working texts of message `index` when an export or
// print command runs; does nothing otherwise.
void MsgEnd(State& s, std::int32_t index, OutputMode& mode);
std::string StandardName(std::string_view text);
}  // namespace pelicard
