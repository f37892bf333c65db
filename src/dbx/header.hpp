// The .dbx file header: the three signatures, the announced message count
// and the root of the message index tree.
#pragma once
#include <cstdint>

#include "common/state.hpp"

namespace pelicard {

inline constexpr std::int64_t kHeaderCountOffset = 0xC4;
inline constexpr std::int64_t kHeaderRootOffset = 0xE4;

// Opens s.dbx.ChosenPath and checks its header. Returns the root offset of
// the index tree, or 0 when the file was refused or holds no message. The
// file stays open whatever the outcome.
std::int32_t ReadFileHeader(State& s);
// " Le fichier  " + path + " n'est pas un fichier Outlook Express valide ".
void NotValidFile(State& s);

}  // namespace pelicard
