// Saving the attachments of messages as files: under the storage folder, in
// the store's sub-folder, one folder per message named like its text file
// (without the extension), each attachment under its own name made safe,
// numbered on collision, dated with the message.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/state.hpp"

namespace pelicard {

// Saves the attachments of list entry `index` (all of them, or the
// positions in `only`, 0-based in FindAttachments' order). Returns the
// number of files written; what could not be saved is recorded in
// exp.LeftOut and the next message goes on.
std::size_t SaveAttachments(State& s, std::int32_t index, const std::vector<std::size_t>* only = nullptr);

}  // namespace pelicard
