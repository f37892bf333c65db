// Reporting faults the way every procedure does: the fault's description in
// a box titled with the procedure's name, then, on the fatal paths, the end
// of the program through the normal shutdown.
#pragma once
#include <filesystem>
#include <new>
#include <stdexcept>
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

// Runs a command's body; a fault of any kind (ours, no memory left, a file
// system error, an index outside its table) is shown under `procedure` and
// ends the program through the normal shutdown. `beforeReport` runs first
// (to put the mouse pointer back, for instance).
template <typename Body, typename Cleanup>
void RunGuarded(State& s, const char* procedure, Body&& body, Cleanup&& beforeReport) {
    auto end = [&](const Fault& f) {
        beforeReport();
        EndOnFault(s, procedure, f);
    };
    try {
        body();
    } catch (const Fault& f) {
        end(f);
    } catch (const std::bad_alloc&) {
        end(Fault(faults::kOutOfMemory));
    } catch (const std::filesystem::filesystem_error&) {
        end(Fault(faults::kPathAccess));
    } catch (const std::out_of_range&) {
        end(Fault(faults::kSubscript));
    }
}

template <typename Body>
void RunGuarded(State& s, const char* procedure, Body&& body) {
    RunGuarded(s, procedure, std::forward<Body>(body), [] {});
}

}  // namespace pelicard
