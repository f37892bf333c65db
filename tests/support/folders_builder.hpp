// Builds Outlook Express store folders in code: a Folders.dbx whose index
// tree points to one folder record per folder, and the folder files beside
// it; and a sample store with nested folders, children before parents, a
// parent loop, a missing file and a refused one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/dbx_builder.hpp"
#include "support/eml_builder.hpp"

namespace pelicard::testing {

struct FolderSpec {
    std::uint32_t id = 0;
    std::uint32_t parent = 0xFFFFFFFFu;
    std::string name;  // Windows-1252
    std::string file;  // empty: no file of its own
    std::uint32_t special = 0;
};

// The bytes of a Folders.dbx: the records in the order given, in one tree
// (nodes of `fanout` entries), the file-type marker of a folders file.
std::string BuildFoldersDbx(const std::vector<FolderSpec>& folders, int fanout = kDbxNodeEntries);

// `n` messages of one folder, their subjects "<prefix> 1" … "<prefix> n".
std::string FolderFile(const std::string& prefix, int n);

// The sample store, written into `dir`:
//   Dossiers locaux (container)
//     Boîte de réception  Inbox.dbx            2 messages  (special 1)
//     Clients             Clients.dbx          1 message
//       Martin            Martin.dbx           3 messages  (record before its parents)
//     Vide                Vide.dbx             0 messages
//   Perdu                 Perdu.dbx (missing)
//   Boucle A / Boucle B   A.dbx, B.dbx         parents of each other, 1 message each
//   Cassé                 Casse.dbx            not a folder file
//   (an orphan file Orphelin.dbx that no record names, 1 message,
//    and pop3uidl.dbx, which is refused)
void WriteSampleStore(const TempFolder& dir);

}  // namespace pelicard::testing
