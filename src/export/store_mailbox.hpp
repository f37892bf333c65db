// Taking a whole store to another mail client: one mailbox per folder, in a
// tree laid out as Thunderbird imports it, below one root folder of the
// storage folder.
//
// mbox:    ROOT/Nom.mbox                  the folder's messages
//          ROOT/Nom.sbd/Enfant.mbox       its sub-folders, and so on
// Maildir: ROOT/Nom.maildir/{cur,new,tmp}
//          ROOT/Nom.sbd/Enfant.maildir/…  the same tree, one plain Maildir
//                                         per folder
// ROOT is "<store name>.magasin-mbox" (or ".magasin-maildir"). It is built
// as ".<ROOT>.part" and renamed once every folder was gone through; a run
// stopped on request or by a write failure keeps what it wrote under
// "<ROOT>.incomplet" (each mailbox in it whole). Names are numbered
// ("-1", "-2" …) when taken; nothing is ever replaced.
#pragma once
#include <string>

#include "common/state.hpp"
#include "export/mailbox_export.hpp"
#include "export/store_save.hpp"

namespace pelicard {

struct StoreMailboxOutcome {
    std::string path;      // native path of the root folder made; empty when none was
    std::string refusal;   // why nothing was written (Windows-1252); empty otherwise
    StoreSaveReport report;  // folders and messages exported, and what was not
};

// The extension of the root folder: ".magasin-mbox" or ".magasin-maildir".
std::string StoreMailboxExtension(MailboxForm form);

// Exports every folder of s.store in tree order (messages in list order)
// under s.settings.StorageFolder, which may not lie in the store. Folders
// without messages get an empty mailbox, so that the tree stays whole;
// unavailable folders and folders that cannot be read are skipped and told
// in the report; messages left out or cut join s.exp.LeftOut (their reason
// names the folder). s.store.OnProgress is told before each folder and
// after each message; s.CancelRequested stops the run between two messages.
// s.exp.OnFileWritten is told each mailbox's final path at the end.
StoreMailboxOutcome ExportStoreToMailboxes(State& s, MailboxForm form, const StoreFolderOpener& open);

// The closing summary (Windows-1252, lines ended by "\r\n").
std::string StoreMailboxSummary(const StoreMailboxOutcome& o);

}  // namespace pelicard
