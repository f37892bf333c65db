// The two text options (complete decoding, UTF-8 text files), kept in the
// second settings file beside Pelicard.ini (see extra_settings.hpp).
#pragma once
#include "common/state.hpp"

namespace pelicard {

// Takes both options from the settings read at start-up; a missing key
// leaves the option off.
void ReadTextOptions(State& s);
// Sets both options in the second settings file and writes it at once, so
// that a choice survives an end of the program without its exit. A file
// that cannot be written is told; the options stay in force.
void WriteTextOptions(State& s);

}  // namespace pelicard
