#include "app/services.hpp"
namespace pelicard {
bool IsProcessRunning(State&, const std::string&) { return false; }
void DetectWindowsMail(State&) {}
bool FileExists(State&, const std::string&, bool) { return false; }
void FileDoesNotExist(State&, const std::string&) {}
bool FolderExists(const std::string&) { return false; }
bool AskYesNo(State&, const std::string&) { return false; }
void PlayDoneSound(State&) {}
void SignalDone(State&) {}
void ShowAbout(State&) {}
void PressHelpKey(State&) {}
}  // namespace pelicard
