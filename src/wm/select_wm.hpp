// The command that opens a Windows Mail folder.
#pragma once
#include <string>

#include "common/state.hpp"
namespace pelicard {
// Asks for any message file of a Windows Mail folder, then reads every
// message of that folder into the window.
void SelectWM(State& s);
// The same road for a folder chosen beforehand (a folder of a whole store):
// the same refusals, list, label and commands, without asking.
void OpenWmFolder(State& s, const std::string& folder);
}  // namespace pelicard
