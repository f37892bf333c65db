// Small system services: the mail client check, file and folder tests, the
// question box, the completion signal, the About box and the help.
#pragma once
#include <cstdint>
#include <string>
#include "common/state.hpp"
namespace pelicard {
// True when a running executable's name contains exeName, both lower-cased.
bool IsProcessRunning(State& s, const std::string& exeName);
// WindowsMailMode: false on Linux (both openers are offered there).
void DetectWindowsMail(State& s);
// The Windows rule: Windows Mail is the client of NT systems of major version 6.
bool IsWindowsMailSystem(bool ntFamily, int majorVersion);
// A path counts when a file of at least one byte exists there; with report,
// a missing file is told to the user.
bool FileExists(State& s, const std::string& path, bool report);
void FileDoesNotExist(State& s, const std::string& path);
// True when path names a folder (hidden ones too); a file gives false.
bool FolderExists(const std::string& path);
bool AskYesNo(State& s, const std::string& question);
void PlayDoneSound(State& s);
// The sound, then "Opération terminée" (txtEnd) shown.
void SignalDone(State& s);
void ShowAbout(State& s);
// The text of the About box (Windows-1252, lines separated by CR).
std::string AboutText(State& s);
void PressHelpKey(State& s);
// "dddd d mmmm yyyy" with French names: "dimanche 6 décembre 2026".
std::string LongFrenchDate(int year, int month, int day);
}  // namespace pelicard
