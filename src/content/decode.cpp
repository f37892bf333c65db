#include "content/decode.hpp"
namespace pelicard {
std::string Decode(State&, std::string text) { return text; }
}  // namespace pelicard
