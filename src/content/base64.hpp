#pragma once
#include <string>
#include <string_view>
namespace pelicard {
std::string Base64Decode(std::string_view text);
}  // namespace pelicard
