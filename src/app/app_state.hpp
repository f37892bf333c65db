// The part of the shared state that this subsystem owns.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pelicard {

// The settings of the program's additions, kept in "Pelicard-plus.ini"
// beside "Pelicard.ini" (see app/extra_settings.hpp).
struct ExtraSettings {
    std::vector<std::string> lines;  // the file's lines, without their line ends
    bool changed = false;            // a value was set since the file was read or written
    bool readable = true;            // false: the file could not be read and is left alone
};

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
    ExtraSettings extra;
};

}  // namespace pelicard
