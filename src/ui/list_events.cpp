#include "ui/commands.hpp"
namespace pelicard {
void cmdOpen_Click(State&, int) {}
void mnuFileDbx_Click(State&) {}
void mnuFileWM_Click(State&) {}
void lvwMessages_Click(State&) {}
void lvwMessages_KeyUp(State&) {}
void lvwMessages_ColumnClick(State&, int) {}
void mnuSelectAll_Click(State&) {}
void mnuQuit_Click(State&) {}
}  // namespace pelicard
