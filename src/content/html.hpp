#pragma once
#include <string>
#include "common/state.hpp"
namespace pelicard {
// HTML to plain text; the argument is the caller's working body, modified on the way.
std::string HTMLProcessing(State& s, std::string& text);
}  // namespace pelicard
