// The state of one batch run: the console window, the system's time zone,
// the Linux services, and the shared state wired to them.
#pragma once
#include "app/system_time_zone.hpp"
#include "cli/console_window.hpp"
#include "common/state.hpp"

namespace pelicard::cli {

struct Session {
    ConsoleWindow window;
    SystemTimeZone timeZone;
    State state;
    bool recover = false;  // --recuperer: the recovery scan runs behind the index
    Session() {
        state.window = &window;
        state.timeZone = &timeZone;
    }
};

}  // namespace pelicard::cli
