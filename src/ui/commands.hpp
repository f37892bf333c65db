// Handlers of the main window's commands and menu items. The Qt window
// calls them; each works on the shared state through the ports.
#pragma once
#include "common/state.hpp"

namespace pelicard {

// Opening a store (buttons cmdOpen 0/1 and menu items).
void cmdOpen_Click(State& s, int index);
void mnuFileDbx_Click(State& s);
void mnuFileWM_Click(State& s);
// "Récupérer les messages supprimés…".
void mnuRecover_Click(State& s);
// The list view.
void lvwMessages_Click(State& s);
// keyCode: the virtual-key code of the released key (33 Page Up, 34 Page
// Down, 35 End, 36 Home, 38 Up, 40 Down, 32 space …).
void lvwMessages_KeyUp(State& s, int keyCode);
// column: the clicked column's 0-based index.
void lvwMessages_ColumnClick(State& s, int column);
void mnuSelectAll_Click(State& s);
// Message commands.
void cmdUp_Click(State& s);
void cmdDown_Click(State& s);
void txtSubject_Change(State& s);
void txtBody_Change(State& s);
void txtSubject_Click(State& s);
void txtBody_Click(State& s);
void cmdModTxt_Click(State& s);
void cmdModNws_Click(State& s);
void cmdAllTxt_Click(State& s);
void cmdAllNws_Click(State& s);
void cmdPrint_Click(State& s);
void cmdGrouping_Click(State& s);
// Options and help menus.
void mnuGrouping_Click(State& s);
void mnuSelection_Click(State& s);
void mnuConfirm_Click(State& s, int index);
void mnuStorage_Click(State& s);
void mnuPrinter_Click(State& s);
void mnuHelp_Click(State& s);
void mnuAbout_Click(State& s);
void mnuQuit_Click(State& s);

}  // namespace pelicard
