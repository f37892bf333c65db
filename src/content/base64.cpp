#include "content/base64.hpp"
namespace pelicard {
std::string Base64Decode(std::string_view text) { return std::string(text); }
}  // namespace pelicard
