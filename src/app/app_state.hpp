// The part of the shared state that this subsystem owns.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pelicard {

struct AppState {
    // Native path of the running program (its name and date go into the
    // About box); found at start-up, a test may set it.
    std::string ExecutablePath;
    // The help file "Pelicard.chm" in AppFolder. The manual itself is built
    // into the program (HelpHtml); the name is kept for the window's help.
    std::string HelpFile;
    bool SettingsRead = false;  // ReadIni ran: the settings may be written back
    bool Started = false;       // InitPelicard ran to its end
    bool ShutDown = false;      // the unload ran; it runs once
};

}  // namespace pelicard
