// The menu "Exporter vers un autre logiciel de messagerie": the selected
// messages written as one mbox file or one Maildir.
#pragma once
#include "common/state.hpp"

namespace pelicard {

void mnuMailboxMbox_Click(State& s);
void mnuMailboxMaildir_Click(State& s);

}  // namespace pelicard
