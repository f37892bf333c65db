#include "ui/commands.hpp"
namespace pelicard {
void cmdUp_Click(State&) {}
void cmdDown_Click(State&) {}
void txtSubject_Change(State&) {}
void txtBody_Change(State&) {}
void txtSubject_Click(State&) {}
void txtBody_Click(State&) {}
void cmdModTxt_Click(State&) {}
void cmdModNws_Click(State&) {}
void cmdAllTxt_Click(State&) {}
void cmdAllNws_Click(State&) {}
void cmdPrint_Click(State&) {}
}  // namespace pelicard
