#include "ui/commands.hpp"
namespace pelicard {
void mnuGrouping_Click(State&) {}
void mnuSelection_Click(State&) {}
void mnuConfirm_Click(State&, int) {}
void mnuStorage_Click(State&) {}
void mnuPrinter_Click(State&) {}
void mnuHelp_Click(State&) {}
void mnuAbout_Click(State&) {}
}  // namespace pelicard
