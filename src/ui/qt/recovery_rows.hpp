// The look of a list row whose message the recovery scan found: its colour
// and its tooltip tell its state.
#pragma once
#include "common/state.hpp"
#include "ui/qt/message_list_model.hpp"

namespace pelicard::qt {

// The mark of the row showing entry `entry` of the current list; an indexed
// message keeps the common look.
RowMark RecoveryMark(const State& s, int entry);

}  // namespace pelicard::qt
