#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include "common/state.hpp"
namespace pelicard {
// Value of attribute 0x12 (a FILETIME) -> local "dd/mm/yyyy hh:nn:ss".
std::string DateString(State& s, std::string_view v);
// "dd/mm/yyyy hh:nn:ss" -> "yyyymmdd hhnnss".
std::string DateSort(State& s, const std::string& t);
// "Date : " + long French date + CR LF for message i being processed.
std::string DateOE(State& s, std::int32_t i);
std::string AdjustDateOE(State& s, std::int32_t i, const std::string& mmss);
}  // namespace pelicard
