// The window's commands on complete messages (see attachment_commands.cpp).
#pragma once
#include "common/state.hpp"

namespace pelicard {

// Lists the attachments of the message the body editor shows (none when
// `messageShown` is false) in the pane under it; worked out again only when
// the shown message changes.
void RefreshAttachments(State& s, bool messageShown);
// "Copie complète": the complete copy of every selected message.
void cmdAllComplete_Click(State& s);
// "Enregistrer les pièces jointes": the attachments picked in the pane, or
// every attachment of every selected message when none is picked.
void cmdSaveAttachments_Click(State& s);

}  // namespace pelicard
