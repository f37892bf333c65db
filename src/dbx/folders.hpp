// An Outlook Express store folder: the folders file (Folders.dbx) that the
// mail client keeps beside one .dbx file per folder. Folders.dbx is a .dbx
// file of its own kind (file-type marker C6FD746F instead of C5FD746F) whose
// index trees (roots at 0xE4, 0xE8, 0xEC) point to one record per folder,
// stored like a message index record: 0x00 the folder's id, 0x01 its
// parent's id (-1 for the root "Outlook Express"), 0x02 its name, 0x03 its
// .dbx file name, 0x09 its special kind (1 inbox … 5 drafts).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/store.hpp"

namespace pelicard {

struct FolderRecord {
    std::uint32_t Id = 0;
    std::uint32_t ParentId = 0xFFFFFFFFu;
    std::string Name;      // Windows-1252
    std::string FileName;  // as stored; empty for a folder without messages of its own
    std::uint32_t Special = 0;
};

inline const char* const kFoldersFileName = "Folders.dbx";

// The folder records of a folders file, each once (first of an id wins), in
// the order the trees give them. False with the reason (Windows-1252) when
// the file is missing, not a folders file or holds no readable record. Every
// offset is checked against the file size and every walk is bounded.
bool ReadFoldersFile(const std::string& path, std::vector<FolderRecord>& records, std::string& reason);

// The message count announced by a folder file's header (0xC4), after the
// three signature checks of the open command. False with the reason.
bool ReadFolderFileCount(const std::string& path, std::int64_t& count, std::string& reason);

// Whether `dir` holds a folders file or any .dbx file.
bool IsOeStoreFolder(const std::string& dir);

// The store's tree: from the folders file (children may come before their
// parents; a missing or looping parent puts the folder at the top level;
// .dbx files it does not name follow at the top level), or without a usable
// one every .dbx of the folder but the refused files, named after its file.
// Unreadable, missing or refused folder files are kept, unavailable, with
// their reason; a damaged folders file is itself listed as unavailable.
StoreTree ReadOeStore(const std::string& dir);

}  // namespace pelicard
