#include "dbx/dates.hpp"
namespace pelicard {
std::string DateString(State&, std::string_view) { return {}; }
std::string DateSort(State&, const std::string&) { return {}; }
std::string DateOE(State&, std::int32_t) { return {}; }
std::string AdjustDateOE(State&, std::int32_t, const std::string&) { return {}; }
}  // namespace pelicard
