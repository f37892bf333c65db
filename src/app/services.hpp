#pragma once
#include <string>
#include "common/state.hpp"
namespace pelicard {
bool IsProcessRunning(State& s, const std::string& exeName);
void DetectWindowsMail(State& s);
// A path counts when a file of at least one byte exists there; with report,
// a missing file is told to the user.
bool FileExists(State& s, const std::string& path, bool report);
void FileDoesNotExist(State& s, const std::string& path);
bool FolderExists(const std::string& path);
bool AskYesNo(State& s, const std::string& question);
void PlayDoneSound(State& s);
void SignalDone(State& s);
void ShowAbout(State& s);
void PressHelpKey(State& s);
}  // namespace pelicard
