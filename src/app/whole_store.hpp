// Whole mail stores: recognising a store folder, reading its tree, and
// opening one of its folders through the road of the open commands.
#pragma once
#include <cstdint>
#include <string>

#include "common/state.hpp"

namespace pelicard {

// The tree of the store folder `dir`: an Outlook Express store when it holds
// .dbx files, else a Windows Mail tree.
StoreTree ReadStoreTree(const std::string& dir);
// Whether `dir` is to be read as a whole store rather than as one Windows
// Mail folder: it holds .dbx files, or directories below it hold messages
// and it holds none itself (a folder with messages of its own stays one
// folder, unless `forced`). The tree read to decide is left in `tree`.
bool IsWholeStore(const std::string& dir, StoreTree& tree, bool forced = false);

// Ends a folder alone: while one lives, a fault that would end the program
// ends only the store procedure's current folder.
struct HoldProgramEnd {
    State& s;
    bool before;
    explicit HoldProgramEnd(State& st) : s(st), before(st.store.HoldEnd) { s.store.HoldEnd = true; }
    ~HoldProgramEnd() { s.store.HoldEnd = before; }
    HoldProgramEnd(const HoldProgramEnd&) = delete;
    HoldProgramEnd& operator=(const HoldProgramEnd&) = delete;
};

// Opens folder k of s.store as "Fichier dbx" or "Dossier WM" would open its
// file or directory (same list, label, refusals and commands), without
// asking. False with the reason (Windows-1252) when the folder is
// unavailable or could not be read; the program goes on either way.
bool OpenStoreFolder(State& s, std::int32_t k, std::string& reason);

// The reason given for a folder whose reading was ended by a fault.
inline const char* const kFolderEndedText = "lecture interrompue par une erreur du fichier";

}  // namespace pelicard
