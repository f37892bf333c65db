// The complete stored text of a listed message: every block of an Outlook
// Express chain (past the first attachment, where the shown text stops), or
// the whole file of a Windows Mail message. Complete copies, attachment
// saving and the mailbox exports read messages through here.
#pragma once
#include <cstdint>
#include <string>

#include "common/byte_file.hpp"
#include "common/state.hpp"

namespace pelicard {

struct CompleteText {
    std::string bytes;    // the stored text, unchanged
    // Empty when the text was read whole. Otherwise why it is cut short
    // (bytes then holds what could be read) or missing: Windows-1252 French.
    std::string problem;
};

// The chain of text blocks that begins at `first` in a folder file. Each
// block: its own position (+0), the text length in it (+8, two bytes), the
// next block (+12, 0 at the end), then the text. The chain stops, keeping
// the text read so far, at a block outside the file, a block that does not
// give its own position, a block already read, or when the text would grow
// past the file's size.
CompleteText ReadCompleteChain(const ByteFile& f, std::int64_t first);

// The complete text of entry `index` of the current list (1-based); a
// message found by the recovery scan is its rebuilt chain.
CompleteText ReadComplete(State& s, std::int32_t index);

}  // namespace pelicard
