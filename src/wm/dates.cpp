#include "wm/dates.hpp"
namespace pelicard {
std::string MsgTime(State&, const std::string&) { return {}; }
}  // namespace pelicard
