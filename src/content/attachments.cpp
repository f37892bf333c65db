#include "content/attachments.hpp"
namespace pelicard {
void Attached(State&, std::string&) {}
bool CutBeforeMarker(State&, std::string&, std::size_t, bool) { return false; }
}  // namespace pelicard
