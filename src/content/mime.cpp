#include "content/mime.hpp"
namespace pelicard {
void MsgProcessing(State&, std::int32_t, OutputMode&) {}
}  // namespace pelicard
