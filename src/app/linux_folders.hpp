// Where things are on a Linux desktop: the user's home, the program's own
// folder, the documents folder (XDG) and the Wine prefix. Paths are native
// (UTF-8); folders end with "/".
#pragma once
#include <string>

namespace pelicard {

// $HOME, else the password database's home; empty when neither gives one.
std::string HomeFolder();
// AppFolder: $PELICARD_HOME, else $XDG_CONFIG_HOME/pelicard, else
// ~/.config/pelicard; ends with "/". Not created here.
std::string AppFolderPath();
// The XDG documents folder: $XDG_DOCUMENTS_DIR, else XDG_DOCUMENTS_DIR in
// user-dirs.dirs of the configuration folder, else ~/Documents. No final "/".
std::string DocumentsFolderPath();
// The documents folder named by a user-dirs.dirs text ("$HOME/…" or an
// absolute path, quoted); empty when the text does not name one.
std::string ParseUserDirsDocuments(const std::string& text, const std::string& home);
// The Wine prefix: $WINEPREFIX, else ~/.wine. No final "/".
std::string WinePrefixPath();
// The running program's own path (/proc/self/exe); empty when unknown.
std::string RunningExecutablePath();

}  // namespace pelicard
