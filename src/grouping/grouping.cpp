#include "ui/commands.hpp"
namespace pelicard {
void cmdGrouping_Click(State&) {}
}  // namespace pelicard
