// Byte-level rules of the .dbx reader: hexadecimal rendering, 3- and 4-byte
// little-endian numbers, and reads through a small window over the file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "common/state.hpp"

namespace pelicard {

// Two upper-case hexadecimal digits per byte, in stored order.
std::string Hexa(std::string_view bytes);
// Unsigned 24-bit little-endian number of the first 3 bytes (missing bytes
// count as zero).
std::uint32_t Hexa6(std::string_view bytes);
// Unsigned 32-bit little-endian number of the first 4 bytes (missing bytes
// count as zero).
std::uint32_t Hexa8(std::string_view bytes);
// The 4-byte count conversion: a signed 32-bit little-endian number. A stored
// value of 2^31 or more cannot be represented: the overflow is told in a box
// under the program's title and the program ends (throws ProgramEnding).
std::int32_t CountValue(State& s, std::string_view bytes);

// n bytes at offset of the open .dbx file, through the read window; throws
// Fault("Lecture au-delà de la fin du fichier") when the range leaves the file.
std::string DbxRead(State& s, std::int64_t offset, std::size_t n);
// The same bytes seen in the read window, valid until the next read.
std::string_view DbxReadView(State& s, std::int64_t offset, std::size_t n);
// Drops the read window (the file changed).
void ResetDbxWindow(State& s);

}  // namespace pelicard
