// What every fuzz target shares: a state with a silent window, and the
// unwinding of the program's own fatal path (a box then QuitProgram), which
// is a clean end, not a finding. Any other exception escapes and is reported.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/fault.hpp"
#include "common/state.hpp"

namespace pelicard::fuzz {

// Runs body(state) on a fresh state; ProgramEnding ends the run quietly.
template <typename Body>
void RunQuietly(Body&& body) {
    State s;
    try {
        body(s);
    } catch (const ProgramEnding&) {
    }
}

// A private temporary file holding the bytes, removed by the destructor.
struct TempFile {
    std::string path;
    TempFile(const std::uint8_t* data, std::size_t size, const char* suffix);
    ~TempFile();
};

std::string AsText(const std::uint8_t* data, std::size_t size);

}  // namespace pelicard::fuzz
