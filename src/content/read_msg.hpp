#pragma once
#include <cstdint>
#include <string>
#include "common/state.hpp"
namespace pelicard {
// Builds the working texts of message `index` of the current list, then
// hands over to MsgProcessing (Outlook Express) and MsgEnd.
void ReadMsg(State& s, std::int32_t index, OutputMode& mode);
// ReadMsg for a raw copy that no editor shows (the batch tool): the stored
// text goes to MsgEnd without the plain-text extraction, which a raw copy
// does not use.
void ReadRawMsg(State& s, std::int32_t index, OutputMode& mode);
// Reads one text block at `offset` into texts.BlockText; false when offset is 0.
bool ReadTxtMsg(State& s, std::int32_t offset);

// Follows the block chain of Outlook Express message `index` into
// texts.RawText, cut before the first attachment. False when nothing was
// read (no text position, or the first block could not be read). Faults
// other than those ReadTxtMsg reports itself are left to the caller.
bool ReadBlocksOE(State& s, std::int32_t index);

}  // namespace pelicard
