// The command that opens a Windows Mail folder.
#pragma once
#include "common/state.hpp"
namespace pelicard {
// Asks for any message file of a Windows Mail folder, then reads every
// message of that folder into the window.
void SelectWM(State& s);
}  // namespace pelicard
