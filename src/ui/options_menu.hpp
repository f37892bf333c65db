// The options menu's view of the settings: check marks and labels.
#pragma once
#include "common/state.hpp"

namespace pelicard {

// Shows the options in force: the check marks of "Messages groupés par
// conversation", "Messages groupés par sélection" and of the two
// confirmation items, and the labels lblGrouping and lblSelection, all from
// s.settings. The window calls it once after InitPelicard.
void ShowOptionsState(State& s);

}  // namespace pelicard
