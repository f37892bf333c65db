#pragma once
#include <string>
#include "common/state.hpp"
namespace pelicard {
// A "Date:" field value -> local "dd/mm/yyyy hh:nn:ss", or empty.
std::string MsgTime(State& s, const std::string& text);
}  // namespace pelicard
