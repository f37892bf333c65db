#pragma once
#include <cstdint>
#include "common/state.hpp"
namespace pelicard {
void DisableCommands(State& s);
void EnableForSelection(State& s, std::int32_t n);
void EnableModifyCommands(State& s, bool on);
void CollectSelection(State& s);
void ShowFirstSelected(State& s);
}  // namespace pelicard
