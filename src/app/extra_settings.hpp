// The second settings file, "Pelicard-plus.ini" in AppFolder: the settings
// of what the program offers beyond its first version (window size, …), so
// that "Pelicard.ini" keeps its five lines. One "key=value" per line, UTF-8;
// spaces around the key and the value are not part of them; a line that is
// not a key this version knows (a comment, another program version's key) is
// kept as it is when the file is written back. Keys are case-sensitive; the
// first line with a key holds its value.
//
// Read at start-up (after "Pelicard.ini"), written at the exit when a value
// changed, through a temporary file renamed over the old one. No fault of
// this file ends the program: it is told, and the values keep their defaults.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "common/state.hpp"

namespace pelicard {

inline const char* const kExtraSettingsName = "Pelicard-plus.ini";

std::string ExtraSettingsPath(const State& s);
// Reads the file into s.app.extra; a missing file is an empty one.
void ReadExtraSettings(State& s);
// Writes s.app.extra when a value changed since it was read; false (after
// telling the user) when the file could not be written.
bool WriteExtraSettings(State& s);

// The file's lines from its text, CR LF or LF; a UTF-8 byte-order mark is dropped.
ExtraSettings ParseExtraSettings(std::string_view text);
std::string FormatExtraSettings(const ExtraSettings& x);

std::optional<std::string> ExtraValue(const ExtraSettings& x, std::string_view key);
// The value as a whole number in [low, high], else `fallback`.
int ExtraNumber(const ExtraSettings& x, std::string_view key, int fallback, int low, int high);
// Sets a key's value (a line break in it becomes a space).
void SetExtraValue(ExtraSettings& x, std::string_view key, std::string value);

}  // namespace pelicard
