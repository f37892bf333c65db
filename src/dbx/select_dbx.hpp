// The command that opens an Outlook Express folder file.
#pragma once
#include <string>

#include "common/state.hpp"
namespace pelicard {
// Asks for a .dbx file, refuses the files that must not be read, then reads
// its header, index tree and message list into the window.
void SelectDbx(State& s);
// "Récupérer les messages supprimés…": the recovery scan on the open .dbx
// file, or, when none is open or it was searched already, on a chosen one.
void RecoverDbx(State& s);
// The list's caption and row flags once a .dbx file is listed.
void ShowListed(State& s, const std::string& fileName);
// The same road for a file chosen beforehand (a folder of a whole store):
// the same refusals, list, label and commands, without asking.
void OpenDbxFile(State& s, const std::string& path);
}  // namespace pelicard
