// Start-up, the settings file "Pelicard.ini" and the shutdown.
#pragma once
#include <string>
#include "common/state.hpp"
namespace pelicard {

// The main window's load event: InitPelicard, then every message command
// off. False when the program is ending (a fatal fault was shown and
// QuitProgram called): the caller then closes down.
bool StartUp(State& s);
// Fixes the folders, reads the settings, finds the store root, makes sure of
// the storage folder and prepares the printer. A fault is shown in a box
// titled "InitPelicard" and ends the program (throws ProgramEnding).
void InitPelicard(State& s);
// Reads "Pelicard.ini" from AppFolder, or on first start asks where the
// storage folder goes and writes the file. A damaged file is repaired.
void ReadIni(State& s);
// Writes "Pelicard.ini" (through a temporary file renamed over it); with
// ask, only when the user answers Yes.
void WriteIni(State& s, bool ask);
// The main window's unload: the settings are written (with the question
// unless ConfirmOption is 1) and the shared tables released. Runs once.
void Shutdown(State& s);

// The settings file's text: five CR LF lines. A path that a reader would
// cut (a comma, leading spaces, a quote first) is written between quotes.
std::string FormatIni(const Settings& st);
// Reads the five values from the file's text into st, each value as soon as
// it is read; throws Fault at the first value that cannot be read. Returns
// false when the text needs rewriting though every value was read (lines
// after the fifth value, an option outside 0/1, both groupings on).
bool ParseIni(const std::string& text, Settings& st);
// The most of the file that is read; the settings need far less.
inline constexpr std::size_t kIniReadLimit = 64 * 1024;
// Name of the storage folder created under the chosen parent.
inline const char* const kStorageName = "Documents Pelicard";

}  // namespace pelicard
