#include "ui/window_logic.hpp"
namespace pelicard {
void DisableCommands(State&) {}
void EnableForSelection(State&, std::int32_t) {}
void EnableModifyCommands(State&, bool) {}
void CollectSelection(State&) {}
void ShowFirstSelected(State&) {}
}  // namespace pelicard
