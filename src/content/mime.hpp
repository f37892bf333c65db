#pragma once
#include <cstdint>
#include "common/state.hpp"
namespace pelicard {
// MIME body extraction of texts.RawText into the working texts.
void MsgProcessing(State& s, std::int32_t index, OutputMode& mode);
}  // namespace pelicard
