#pragma once
#include <cstdint>
#include "common/state.hpp"
namespace pelicard {
// Builds the working texts of message `index` of the current list, then
// hands over to MsgProcessing (Outlook Express) and MsgEnd.
void ReadMsg(State& s, std::int32_t index, OutputMode& mode);
// Reads one text block at `offset` into texts.BlockText; false when offset is 0.
bool ReadTxtMsg(State& s, std::int32_t offset);
}  // namespace pelicard
