// Where the documents and the mail stores are, and the pickers that ask the
// user for a folder or a message file.
#pragma once
#include <cstdint>
#include <string>
#include "common/state.hpp"
namespace pelicard {
// A special folder's path ending with "/"; empty when it cannot be given.
// Number 5 is the user's documents folder.
std::string SpecialFolderPath(int number);
std::string MyDocumentsPath();
// Reads one value of an open key: 0 when read, the registry's error code
// otherwise (2 = not found, told as "Identité introuvable"), -1 for a type
// that is not read. Strings come back without their final NUL, a DWORD as
// its decimal text.
std::int32_t QueryRegistryValue(State& s, std::int64_t key, const std::string& name, std::string& value);
// The mail store root (native path, no final "/"), from the Outlook Express
// identity in use or from Windows Mail. A damaged registry ends the program.
std::string WMFolder(State& s);
// The folder picker for the parent of the storage folder; empty when cancelled.
std::string ChooseStorageParent(State& s, const std::string& defaultFolder);
std::string BrowseForFolder(State& s, const std::string& title, const std::string& defaultFolder);
// The picker's status line for a selected folder: ".." + the path from its
// first separator on, a path over 50 characters first cut to its last 55.
std::string BrowseStatusText(const std::string& path);
// The open-file dialog; `path` is both the starting point and the result.
// dbxMode picks the .dbx filter, else the .eml/.nws one.
bool ChooseMessageFile(State& s, std::string& path, bool dbxMode);
}  // namespace pelicard
