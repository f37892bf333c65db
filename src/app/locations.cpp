#include "app/locations.hpp"
namespace pelicard {
bool ChooseMessageFile(State&, std::string&, bool) { return false; }
}  // namespace pelicard
