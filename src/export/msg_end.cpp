#include "export/msg_end.hpp"
namespace pelicard {
void MsgEnd(State&, std::int32_t, OutputMode&) {}
std::string StandardName(std::string_view text) { return std::string(text); }
}  // namespace pelicard
