// The menu "Exporter vers un autre logiciel de messagerie": the selected
// messages written as one mbox file or one Maildir; with a store open, the
// whole store as one mailbox per folder (export/store_mailbox.hpp).
#pragma once
#include "common/state.hpp"

namespace pelicard {

void mnuMailboxMbox_Click(State& s);
void mnuMailboxMaildir_Click(State& s);
void mnuMailboxStore_Click(State& s, bool maildir);

}  // namespace pelicard
