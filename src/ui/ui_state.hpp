// The part of the shared state that this subsystem owns.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pelicard {

struct UiState {
};

}  // namespace pelicard
