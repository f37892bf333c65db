#pragma once
#include <string>
#include "common/state.hpp"
namespace pelicard {
// Quoted-printable decoding and character repair of a text; reads texts.IsUtf8.
std::string Decode(State& s, std::string text);
}  // namespace pelicard
