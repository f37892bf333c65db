// The main window's logic: enabling rules, the selection state and the
// layout on resize, written against the window port.
#pragma once
#include <cstdint>
#include "common/state.hpp"
namespace pelicard {

// No selection: every message command off.
void DisableCommands(State& s);
// Commands that fit n selected rows; shows the first one when n >= 1.
void EnableForSelection(State& s, std::int32_t n);
// The commands on the edited message.
void EnableModifyCommands(State& s, bool on);
// SelectionOrder from the flagged rows' "ID" column; clears the operation flags.
void CollectSelection(State& s);
// Collects the selection and shows its first message.
void ShowFirstSelected(State& s);
// Empties the list view and the editors, switches stepping and select-all
// off, hides "Opération terminée" and resets the list's caption: what both
// store openers do before asking for a store.
void ClearMessageView(State& s);
// Before what would replace the shown message (another message, select all,
// opening a store, quitting): with edits not saved, asks whether to drop
// them (No by default). True when there are none or the answer is Yes.
bool MayDropEdits(State& s);
// The list view's selection put back as RowFlags holds it.
void RestoreRowSelection(State& s);
// An opening the user stopped: no store is open, as before the choice;
// `nothingOpen` is the text of the status panel that names the store.
void AbandonOpening(State& s, const std::string& nothingOpen);

// Reads every row's selected state into RowFlags (sized to the list count)
// and returns how many rows are selected.
std::int32_t ReadRowFlags(State& s);
// Empties the list and the selection state before a store is read, and
// sizes RowFlags for a freshly built list.
void ResetSelection(State& s);
void SizeRowFlags(State& s);

// The resize rules. width and height are the window's outer size in twips;
// a size below the minimum is raised to it (the caller gives the window that
// size). Nothing happens while the window is minimised.
void Form_Resize(State& s, int& width, int& height, bool minimised);

}  // namespace pelicard
