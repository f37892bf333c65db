#include "content/read_msg.hpp"
namespace pelicard {
void ReadMsg(State&, std::int32_t, OutputMode&) {}
bool ReadTxtMsg(State&, std::int32_t) { return false; }
}  // namespace pelicard
