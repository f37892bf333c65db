// A whole mail store: every folder of an Outlook Express store folder
// (Folders.dbx and its .dbx files) or of a Windows Mail tree (one directory
// per folder), in tree order. Built when the store is opened, from the
// folders file and the file headers only; a folder's messages are read when
// it is opened.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pelicard {

enum class StoreKind { None, OutlookExpress, WindowsMail };

struct StoreFolder {
    std::string Name;         // as shown (Windows-1252)
    std::string PathOfNames;  // names from the top, joined by "/" (Windows-1252)
    std::string Source;       // native path of its .dbx file or message directory; empty for a container
    std::int32_t Parent = -1; // index in StoreTree::Folders, -1 at the top level
    std::int32_t Depth = 0;   // 0 at the top level
    std::int64_t Count = 0;   // messages announced by the file header, or message files of the directory
    bool Available = true;
    std::string Reason;       // why it is unavailable (Windows-1252)
};

struct StoreTree {
    StoreKind Kind = StoreKind::None;
    std::string Root;                  // native path of the store folder, no final "/"
    std::vector<StoreFolder> Folders;  // tree order: each folder before its children, siblings together
    std::int32_t OpenFolder = -1;      // the folder whose list is shown; -1 none

    // While one folder of the store is read or saved, a fault that would end
    // the program ends that folder only: QuitProgram then only raises
    // Quitting (no window close), and the store's procedure clears it.
    bool HoldEnd = false;

    // Progress of a whole-store save: folder k of n (index `ProgressIndex`
    // in Folders), message i of m (i = 0 when the folder starts).
    std::int32_t ProgressFolder = 0, ProgressFolders = 0, ProgressIndex = -1;
    std::int64_t ProgressMessage = 0, ProgressMessages = 0;
    std::function<void(const StoreTree&)> OnProgress;
};

// The storage sub-folder of a folder: its path of names, each name made fit
// for one file or folder name (UTF-8, joined by "/").
std::string StorageSubFolder(const StoreTree& t, std::int32_t folder);
// One file or folder name (UTF-8) from a name taken from a store
// (Windows-1252), made safe as SafeComponent makes it.
std::string StoreNameComponent(const std::string& cp1252);
// Index of the folder whose path of names is `path` (Windows-1252; compared
// ignoring case, a final "/" ignored); -1 when none.
std::int32_t FindStoreFolder(const StoreTree& t, const std::string& path);
// Sets Parent-derived fields: Depth and PathOfNames of every folder (the
// folders must already be in tree order).
void CompleteStorePaths(StoreTree& t);
// Puts the folders in tree order: parents before children, siblings in the
// order given by `before` (a strict weak order on two folders).
template <typename Less>
void OrderStoreTree(StoreTree& t, Less before);

}  // namespace pelicard

#include "common/store_order.hpp"
