// The command that opens an Outlook Express folder file.
#pragma once
#include "common/state.hpp"
namespace pelicard {
// Asks for a .dbx file, refuses the files that must not be read, then reads
// its header, index tree and message list into the window.
void SelectDbx(State& s);
}  // namespace pelicard
