#include "content/html.hpp"
namespace pelicard {
std::string HTMLProcessing(State&, std::string& text) { return text; }
}  // namespace pelicard
