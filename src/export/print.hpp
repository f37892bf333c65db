// Printing messages: the page header, the wrapped lines and the page step.
#pragma once
#include <string_view>

#include "common/state.hpp"

namespace pelicard {

// Prints the working texts of the current message as part of a print job
// (OutputMode 0 or 1 begins a job, 0 or 3 ends it). A printer that cannot
// be opened is told, with what to do, and stops the command
// (s.CancelRequested); the program goes on.
void PrintMessage(State& s, OutputMode mode);
// Prints one logical line, wrapped to the width limit, each piece after the
// left margin; runs the page step after every printed line.
void PrintLine(State& s, std::string_view line);
// After every printed line: a new page when the page is full.
void PageStep(State& s);
// An empty line, the page number far right, an empty line (not counted).
void PrintPageHeader(State& s);

}  // namespace pelicard
