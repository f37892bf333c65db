// Reporting faults the way every procedure does: the fault's description in
// a box titled with the procedure's name, then, on the fatal paths, the end
// of the program through the normal shutdown.
#pragma once
#include <string>

#include "common/fault.hpp"
#include "common/state.hpp"

namespace pelicard {

inline const char* const kProgramTitle = "Pelicard";

// An information-free OK box with the program's title.
void ShowMessage(State& s, const std::string& text, MsgIcon icon = MsgIcon::None);
// The fault's description in a box titled `procedure` (the program's title
// when empty), OK button; the program goes on.
void ShowFault(State& s, const std::string& procedure, const Fault& f, MsgIcon icon = MsgIcon::None);
// ShowFault, then QuitProgram, then unwinds with ProgramEnding.
[[noreturn]] void EndOnFault(State& s, const std::string& procedure, const Fault& f);
// Closes the main window, whose unload runs the shutdown.
void QuitProgram(State& s);

}  // namespace pelicard
